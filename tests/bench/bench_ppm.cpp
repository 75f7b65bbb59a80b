// The PPM path of load_ppm_mipmap on a 1024 x 1024 plain picture (about
// 12 MB of text): the whole load, the reading alone, and the upload alone.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench_env.h"
#include "gl_headers.h"
#include "qxtexture.h"

namespace {

constexpr int side = 1024;

// Random samples, 17 to a line, like a picture written by any tool.
const std::string& big_ppm(size_t* bytes) {
  static size_t size = 0;
  static std::string path = [] {
    std::string p = bench_temp_dir() + "/big.ppm";
    FILE* f = fopen(p.c_str(), "w");
    fprintf(f, "P3\n# %d x %d benchmark picture\n%d %d\n255\n", side, side, side, side);
    unsigned state = 12345;
    for (long i = 0; i < long(side) * side * 3; ++i) {
      state = state * 1103515245u + 12345u;
      fprintf(f, "%u%c", (state >> 16) & 0xFF, i % 17 == 16 ? '\n' : ' ');
    }
    fputc('\n', f);
    size = static_cast<size_t>(ftell(f));
    fclose(f);
    return p;
  }();
  *bytes = size;
  return path;
}

qxtexture& bench_texture() {
  static qxtexture* t = [] {
    auto* texture = new qxtexture;
    glGenTextures(1, &texture->tex_name);
    return texture;
  }();
  return *t;
}

void PPM_load_ppm_mipmap_whole(benchmark::State& state) {
  size_t bytes;
  const std::string& path = big_ppm(&bytes);
  qxtexture& t = bench_texture();
  for (auto _ : state) {
    if (!t.load_ppm_mipmap(path.c_str(), t.tex_name)) state.SkipWithError("load failed");
    glFinish();
  }
  state.SetBytesProcessed(int64_t(bytes) * state.iterations());
  state.counters["file_MB"] = bytes / 1e6;
}

// The reading path alone: the level loader shares it with load_ppm_mipmap,
// and level -1 makes the driver refuse the upload before it starts.
void PPM_parse_only(benchmark::State& state) {
  size_t bytes;
  const std::string& path = big_ppm(&bytes);
  qxtexture& t = bench_texture();
  for (auto _ : state) {
    if (!t.load_ppm_level(path.c_str(), t.tex_name, -1)) state.SkipWithError("read failed");
  }
  while (glGetError() != GL_NO_ERROR) {
  }
  state.SetBytesProcessed(int64_t(bytes) * state.iterations());
  state.counters["file_MB"] = bytes / 1e6;
}

// The upload alone: the very call load_ppm_mipmap ends with.
void PPM_upload_mipmaps(benchmark::State& state) {
  size_t bytes;
  const std::string& path = big_ppm(&bytes);
  qxtexture& t = bench_texture();
  if (!t.load_ppm_mipmap(path.c_str(), t.tex_name)) state.SkipWithError("load failed");
  for (auto _ : state) {
    glBindTexture(GL_TEXTURE_2D, t.tex_name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGB, t.w, t.h, GL_RGB, GL_UNSIGNED_BYTE, t.pixels);
    glFinish();
  }
  state.SetBytesProcessed(int64_t(t.w) * t.h * 3 * state.iterations());
}

}  // namespace

BENCHMARK(PPM_load_ppm_mipmap_whole)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(PPM_parse_only)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(PPM_upload_mipmaps)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
