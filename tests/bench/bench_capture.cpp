// Frame capture of a 1920 x 1080 window holding a nebula frame.
#include <benchmark/benchmark.h>

#include <string>

#include "bench_env.h"
#include "main.h"
#include "qxdump.h"

namespace {

bool full_hd_frame(benchmark::State& state) {
  if (!bench_window_size(1920, 1080)) {
    state.SkipWithError("the window cannot take 1920 x 1080");
    return false;
  }
  scene_draw();
  glFinish();
  return true;
}

void Capture_dump_frame_ppm(benchmark::State& state) {
  if (!full_hd_frame(state)) return;
  const std::string path = bench_temp_dir() + "/frame.ppm";
  for (auto _ : state) dump_frame_ppm(path.c_str(), 3);
  state.SetBytesProcessed(int64_t(1920) * 1080 * 3 * state.iterations());
}

void Capture_save_frame_bmp(benchmark::State& state) {
  if (!full_hd_frame(state)) return;
  const std::string path = bench_temp_dir() + "/frame.bmp";
  for (auto _ : state) save_frame_bmp(path.c_str());
  state.SetBytesProcessed(int64_t(1920) * 1080 * 3 * state.iterations());
}

void Capture_dump_histogram_ppm(benchmark::State& state) {
  if (!full_hd_frame(state)) return;
  const std::string path = bench_temp_dir() + "/histogram.ppm";
  for (auto _ : state) dump_histogram_ppm(path.c_str());
}

}  // namespace

BENCHMARK(Capture_dump_frame_ppm)
    ->Name("Capture/dump_frame_ppm/1920x1080")
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.5)
    ->UseRealTime();
BENCHMARK(Capture_save_frame_bmp)
    ->Name("Capture/save_frame_bmp/1920x1080")
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.5)
    ->UseRealTime();
BENCHMARK(Capture_dump_histogram_ppm)
    ->Name("Capture/dump_histogram_ppm/1920x1080")
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.5)
    ->UseRealTime();
