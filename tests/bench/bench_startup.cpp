// The viewer from process start to its first frame on screen: with
// --frames 1 it leaves right after the first buffer swap, so the time to its
// exit is the start-up plus one frame plus a short teardown. --frames 0 ends
// right after the window-system connection, for comparison.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

extern char** environ;

namespace {

// Runs the viewer with these arguments; false unless it exits with 0.
bool run_viewer(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  std::string program = ORVANE_BENCH_VIEWER;
  argv.push_back(&program[0]);
  std::vector<std::string> copy = args;
  for (auto& a : copy) argv.push_back(&a[0]);
  argv.push_back(nullptr);
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&files, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid;
  int spawned = posix_spawn(&pid, program.c_str(), &files, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&files);
  if (spawned != 0) return false;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void time_viewer(benchmark::State& state, const std::vector<std::string>& args) {
  for (auto _ : state) {
    if (!run_viewer(args)) state.SkipWithError("the viewer failed");
  }
}

void Startup_viewer_to_first_frame(benchmark::State& state) {
  time_viewer(state, {"--frames", "1", "--seed", "1"});
}

void Startup_viewer_without_drawing(benchmark::State& state) {
  time_viewer(state, {"--frames", "0"});
}

}  // namespace

BENCHMARK(Startup_viewer_to_first_frame)->Name("Startup/viewer_to_first_frame")
    ->Iterations(1)->Repetitions(7)->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Startup_viewer_without_drawing)->Name("Startup/viewer_without_drawing")
    ->Iterations(1)->Repetitions(7)->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond)->UseRealTime();
