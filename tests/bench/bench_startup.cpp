// The viewer from process start to its first frame on screen. With
// --frames 1 --report-rss it prints (and flushes) a line right after its
// first buffer swap: the time until that line arrives is the start-up. The
// whole run to the exit, and a run that leaves before opening a window, are
// shown beside it.
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

using clock_type = std::chrono::steady_clock;

struct viewer_run {
  bool ok = false;
  double to_marker = -1;  // seconds until the marker line, -1 if it never came
  double to_exit = 0;     // seconds until the process ended
};

// Runs the viewer with these arguments, watching its standard output for
// marker. ok only when it exits with 0.
viewer_run run_viewer(const std::vector<std::string>& args, const std::string& marker) {
  viewer_run run;
  std::string program = ORVANE_BENCH_VIEWER;
  std::vector<std::string> copy = args;
  std::vector<char*> argv{&program[0]};
  for (auto& a : copy) argv.push_back(&a[0]);
  argv.push_back(nullptr);

  int out[2];
  if (pipe(out) != 0) return run;
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&files, out[1], 1);
  posix_spawn_file_actions_addopen(&files, 2, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addclose(&files, out[0]);
  const auto start = clock_type::now();
  pid_t pid;
  int spawned = posix_spawn(&pid, program.c_str(), &files, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&files);
  close(out[1]);
  if (spawned != 0) {
    close(out[0]);
    return run;
  }
  std::string text;
  char buffer[4096];
  ssize_t n;
  while ((n = read(out[0], buffer, sizeof buffer)) > 0) {
    text.append(buffer, static_cast<size_t>(n));
    if (run.to_marker < 0 && !marker.empty() && text.find(marker) != std::string::npos)
      run.to_marker = std::chrono::duration<double>(clock_type::now() - start).count();
  }
  close(out[0]);
  int status = 0;
  bool waited = waitpid(pid, &status, 0) == pid;
  run.to_exit = std::chrono::duration<double>(clock_type::now() - start).count();
  run.ok = waited && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return run;
}

void Startup_viewer_to_first_frame(benchmark::State& state) {
  for (auto _ : state) {
    viewer_run run = run_viewer({"--frames", "1", "--seed", "1", "--report-rss"},
                                "orvane-viewer: frame 1 resident");
    if (!run.ok || run.to_marker < 0) {
      state.SkipWithError("the viewer failed or never reported its first frame");
      break;
    }
    state.SetIterationTime(run.to_marker);
  }
}

void Startup_viewer_one_frame_to_exit(benchmark::State& state) {
  for (auto _ : state) {
    viewer_run run = run_viewer({"--frames", "1", "--seed", "1"}, "");
    if (!run.ok) {
      state.SkipWithError("the viewer failed");
      break;
    }
    state.SetIterationTime(run.to_exit);
  }
}

void Startup_viewer_without_window(benchmark::State& state) {
  for (auto _ : state) {
    viewer_run run = run_viewer({"--frames", "0"}, "");
    if (!run.ok) {
      state.SkipWithError("the viewer failed");
      break;
    }
    state.SetIterationTime(run.to_exit);
  }
}

}  // namespace

BENCHMARK(Startup_viewer_to_first_frame)
    ->Name("Startup/viewer_to_first_frame")
    ->Iterations(1)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();
BENCHMARK(Startup_viewer_one_frame_to_exit)
    ->Name("Startup/viewer_one_frame_to_exit")
    ->Iterations(1)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();
BENCHMARK(Startup_viewer_without_window)
    ->Name("Startup/viewer_without_window")
    ->Iterations(1)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();
