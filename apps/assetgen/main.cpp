// orvane-assetgen FOLDER: writes the saver's pictures, tune and icon into FOLDER.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

#include "assets.h"

namespace {

// Whole file or nothing: a half-written picture would load as garbage later.
bool write_file(const std::string& path, const std::string& bytes) {
  const std::string tmp = path + ".tmp";
  std::FILE* f = std::fopen(tmp.c_str(), "wb");
  if (!f) {
    std::fprintf(stderr, "orvane-assetgen: cannot write %s: %s\n", path.c_str(),
                 std::strerror(errno));
    return false;
  }
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  const int saved = errno;
  if (std::fclose(f) != 0 || !written) {
    std::fprintf(stderr, "orvane-assetgen: cannot write %s: %s\n", path.c_str(),
                 std::strerror(written ? errno : saved));
    std::remove(tmp.c_str());
    return false;
  }
  if (std::rename(tmp.c_str(), path.c_str()) != 0) {
    std::fprintf(stderr, "orvane-assetgen: cannot write %s: %s\n", path.c_str(),
                 std::strerror(errno));
    std::remove(tmp.c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || argv[1][0] == '\0') {
    std::fprintf(stderr, "usage: orvane-assetgen OUTPUT_FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec || !std::filesystem::is_directory(folder)) {
    std::fprintf(stderr, "orvane-assetgen: cannot create folder %s: %s\n", folder.c_str(),
                 ec ? ec.message().c_str() : "not a directory");
    return 1;
  }

  using namespace assetgen;
  const struct {
    const char* name;
    std::function<std::string()> make;
  } outputs[] = {
      {"supernova.ppm", [] { return encode_ppm(make_sprite(128)); }},
      {"Orvane.ppm", [] { return encode_ppm(make_title()); }},
      {"music.mid", make_tune},
      {"orvane.ico", make_icon},
  };
  for (const auto& out : outputs) {
    if (!write_file(folder + "/" + out.name, out.make())) return 1;
  }
  return 0;
}
