// Orvane's figures: one Google Benchmark table. Everything the code under
// test prints goes to /dev/null; the table goes to the standard error, which
// scripts/bench.sh shows.
#include <GL/freeglut.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "bench_env.h"
#include "main.h"

namespace {

void display_nothing() {}

}  // namespace

bool bench_window_size(int width, int height) {
  glutReshapeWindow(width, height);
  bool ok = false;
  for (int i = 0; i < 3000 && !ok; ++i) {
    glutMainLoopEvent();
    ok = glutGet(GLUT_WINDOW_WIDTH) == width && glutGet(GLUT_WINDOW_HEIGHT) == height;
    if (!ok) usleep(1000);
  }
  // The driver takes the window's new size for its buffers at the next swap.
  glutSwapBuffers();
  scene_reshape(width, height);
  return ok;
}

const std::string& bench_temp_dir() {
  static std::string dir = [] {
    char tmpl[] = "/tmp/orvane-bench-XXXXXX";
    std::string d = mkdtemp(tmpl);
    atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(bench_temp_dir(), ignored);
    });
    return d;
  }();
  return dir;
}

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  glutInit(&argc, argv);
  if (!getenv("ORVANE_DATA_DIR")) setenv("ORVANE_DATA_DIR", ORVANE_BENCH_DATA_DIR, 1);

  // The table keeps the standard error; the chatter of the code under test,
  // which uses the standard output, goes nowhere.
  fflush(stdout);
  if (!freopen("/dev/null", "w", stdout)) return 1;

  glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
  glutInitWindowSize(640, 360);
  glutCreateWindow("orvane bench");
  glutDisplayFunc(display_nothing);
  glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
  srand(1);
  scene_init();
  bench_window_size(640, 360);

  benchmark::ConsoleReporter table(benchmark::ConsoleReporter::OO_Tabular);
  table.SetOutputStream(&std::cerr);
  table.SetErrorStream(&std::cerr);
  benchmark::RunSpecifiedBenchmarks(&table);
  benchmark::Shutdown();
  return 0;
}
