#include "viewer_options.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

// A whole decimal number in [low, high], nothing after it.
bool parse_number(const char* text, long low, long high, long* out) {
  if (!text || !*text) return false;
  char* end = nullptr;
  errno = 0;
  long v = strtol(text, &end, 10);
  if (errno || *end || v < low || v > high) return false;
  *out = v;
  return true;
}

bool parse_size(const char* text, int* w, int* h) {
  if (!text) return false;
  const char* x = strchr(text, 'x');
  if (!x) return false;
  std::string left(text, x);
  long lw, lh;
  if (!parse_number(left.c_str(), 1, 16384, &lw) || !parse_number(x + 1, 1, 16384, &lh))
    return false;
  *w = static_cast<int>(lw);
  *h = static_cast<int>(lh);
  return true;
}

}  // namespace

const char* viewer_usage() {
  return "usage: orvane-viewer [--frames N] [--capture FILE] [--seed N] [--size WxH]\n"
         "                     [--show-fps] [--gallery | --logo] [--report-rss] [--help] [--version]\n"
         "  --version   print the version and quit\n"
         "  --show-fps  draw the frame rate in the top left corner while the meter is on\n"
         "  --gallery   show the shape library instead of the nebula\n"
         "  --logo      show the bouncing logo instead of the nebula\n"
         "  --report-rss  print the resident memory at frame 1000 and after the last frame\n"
         "keys:  Escape, q, Q quit   b save frame_N.bmp   g save frame_N.ppm and its histogram\n"
         "       f toggle full screen   p switch the frame-rate meter\n"
         "mouse: left drag turns the cloud, middle drag pans, right drag zooms (up: in)\n";
}

bool parse_viewer_options(int argc, const char* const* argv, viewer_options* out,
                          std::string* error) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    long n;
    if (arg == "--help" || arg == "-h") {
      out->help = true;
    } else if (arg == "--version") {
      out->version = true;
    } else if (arg == "--frames") {
      if (!parse_number(value, 0, LONG_MAX, &n)) {
        *error = "--frames needs a whole number of frames";
        return false;
      }
      out->frames = n;
      ++i;
    } else if (arg == "--capture") {
      if (!value || !*value) {
        *error = "--capture needs a file name";
        return false;
      }
      out->capture = value;
      ++i;
    } else if (arg == "--seed") {
      if (!parse_number(value, 0, UINT_MAX, &n)) {
        *error = "--seed needs a whole number from 0 to 4294967295";
        return false;
      }
      out->seeded = true;
      out->seed = static_cast<unsigned>(n);
      ++i;
    } else if (arg == "--size") {
      if (!parse_size(value, &out->width, &out->height)) {
        *error = "--size needs WIDTHxHEIGHT, each 1 to 16384";
        return false;
      }
      ++i;
    } else if (arg == "--show-fps") {
      out->show_fps = true;
    } else if (arg == "--gallery") {
      out->gallery = true;
    } else if (arg == "--logo") {
      out->logo = true;
    } else if (arg == "--report-rss") {
      out->report_rss = true;
    } else {
      *error = "unknown option " + arg;
      return false;
    }
  }
  if (out->gallery && out->logo) {
    *error = "--gallery and --logo cannot be shown together";
    return false;
  }
  return true;
}
