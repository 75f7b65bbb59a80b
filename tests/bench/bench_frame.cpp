// One frame of the nebula on llvmpipe: scene_draw plus glFinish, beside the
// same picture drawn with vertex arrays, at two window sizes; and the heap
// allocations of the frame path.
#include <GL/freeglut.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <vector>

#include "alloc_counter.h"
#include "batched_scene.h"
#include "bench_env.h"
#include "main.h"

namespace {

// Seconds per frame of the immediate-mode runs, by width, for the ratio.
std::map<int, double> immediate_seconds;

// Times frames of draw at the benchmark's size; returns seconds per frame as
// measured around the very loop that the table reports.
double frame_at(benchmark::State& state, void (*draw)()) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  if (!bench_window_size(w, h)) state.SkipWithError("the window cannot take this size");
  draw();  // warm: texture residency, first-frame state
  glFinish();
  auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    draw();
    glFinish();
  }
  auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return state.iterations() ? seconds / state.iterations() : 0.0;
}

// Share of the window's pixels that the frame lit: shows the frame covered
// the whole window at this size.
double lit_share(int w, int h) {
  std::vector<unsigned char> px(size_t(w) * h * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, px.data());
  size_t lit = 0;
  for (size_t p = 0; p < px.size(); p += 3) lit += (px[p] | px[p + 1] | px[p + 2]) != 0;
  return double(lit) / (size_t(w) * h);
}

void Frame_scene_draw(benchmark::State& state) {
  immediate_seconds[state.range(0)] = frame_at(state, scene_draw);
  state.counters["lit_share"] = lit_share(int(state.range(0)), int(state.range(1)));
}

// How many pixels of the batched frame differ from scene_draw's (by more
// than one step in any channel), at the same frame and cloud pitch.
int differing_pixels(int w, int h) {
  std::vector<unsigned char> a(size_t(w) * h * 4), b(a.size());
  const float pitch = scene_state.cloud_pitch;
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  scene_draw();
  glFinish();
  glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, a.data());
  scene_state.cloud_pitch = pitch;
  batched_scene_draw();
  glFinish();
  glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, b.data());
  int differing = 0;
  for (size_t p = 0; p < a.size(); p += 4) {
    for (int c = 0; c < 3; ++c) {
      if (std::abs(a[p + c] - b[p + c]) > 1) {
        ++differing;
        break;
      }
    }
  }
  return differing;
}

void Frame_batched_reference(benchmark::State& state) {
  batched_scene_init();
  const double batched = frame_at(state, batched_scene_draw);
  auto it = immediate_seconds.find(state.range(0));
  if (it != immediate_seconds.end())
    state.counters["immediate_over_batched"] = it->second / batched;
  state.counters["differing_px"] = differing_pixels(int(state.range(0)), int(state.range(1)));
}

// The frame path as the viewer runs it, counted over many frames: zero is
// the goal on our own thread; the driver's threads are shown for context.
void Frame_heap_allocations(benchmark::State& state) {
  bench_window_size(640, 360);
  for (int i = 0; i < 5; ++i) {  // settle the driver's caches
    fps_tick();
    scene_draw();
    glFinish();
  }
  int64_t frames = 0;
  alloc_counts before = current_alloc_counts();
  for (auto _ : state) {
    fps_tick();
    scene_draw();
    glFinish();
    ++frames;
  }
  alloc_counts after = current_alloc_counts();
  state.counters["ours_per_frame"] = double(after.own_code - before.own_code) / frames;
  state.counters["news_per_frame"] = double(after.news - before.news) / frames;
  state.counters["thread_per_frame"] = double(after.this_thread - before.this_thread) / frames;
  state.counters["all_threads_per_frame"] = double(after.all_threads - before.all_threads) / frames;

  // The same picture in one vertex-array call, for what the driver does then.
  batched_scene_init();
  batched_scene_draw();
  glFinish();
  alloc_counts batched_before = current_alloc_counts();
  for (int i = 0; i < 50; ++i) {
    batched_scene_draw();
    glFinish();
  }
  alloc_counts batched_after = current_alloc_counts();
  state.counters["batched_thread_per_frame"] =
      double(batched_after.this_thread - batched_before.this_thread) / 50;

  // The buffer swap is the window system's part of a frame; shown apart.
  alloc_counts swap_before = current_alloc_counts();
  for (int i = 0; i < 50; ++i) {
    scene_draw();
    glutSwapBuffers();
  }
  glFinish();
  alloc_counts swap_after = current_alloc_counts();
  state.counters["with_swap_thread_per_frame"] =
      double(swap_after.this_thread - swap_before.this_thread) / 50;
}

}  // namespace

BENCHMARK(Frame_scene_draw)
    ->Name("Frame/scene_draw+glFinish")
    ->Args({640, 360})
    ->Args({1920, 1080})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0)
    ->UseRealTime();
BENCHMARK(Frame_batched_reference)
    ->Name("Frame/batched_reference+glFinish")
    ->Args({640, 360})
    ->Args({1920, 1080})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0)
    ->UseRealTime();
BENCHMARK(Frame_heap_allocations)
    ->Name("Frame/heap_allocations")
    ->Iterations(200)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
