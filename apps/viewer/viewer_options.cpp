#include "viewer_options.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include <getopt.h>

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
  // A side of one pixel never gets a frame drawn: the window waits forever.
  if (!parse_number(left.c_str(), 2, 16384, &lw) || !parse_number(x + 1, 2, 16384, &lh))
    return false;
  *w = static_cast<int>(lw);
  *h = static_cast<int>(lh);
  return true;
}

enum option_id { opt_frames = 256, opt_capture, opt_seed, opt_size, opt_show_fps, opt_gallery,
                 opt_logo, opt_report_rss, opt_version };

const option long_options[] = {
    {"frames", required_argument, nullptr, opt_frames},
    {"capture", required_argument, nullptr, opt_capture},
    {"seed", required_argument, nullptr, opt_seed},
    {"size", required_argument, nullptr, opt_size},
    {"show-fps", no_argument, nullptr, opt_show_fps},
    {"gallery", no_argument, nullptr, opt_gallery},
    {"logo", no_argument, nullptr, opt_logo},
    {"report-rss", no_argument, nullptr, opt_report_rss},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, opt_version},
    {nullptr, 0, nullptr, 0},
};

// What an option with a missing or unusable value needs.
const char* needs(int id) {
  switch (id) {
    case opt_frames: return "--frames needs a whole number of frames";
    case opt_capture: return "--capture needs a file name";
    case opt_seed: return "--seed needs a whole number from 0 to 4294967295";
    case opt_size: return "--size needs WIDTHxHEIGHT, each 2 to 16384";
    default: return "an option needs a value";
  }
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
  // getopt_long keeps its place in globals: start afresh on every call, print
  // nothing of its own, and stop at the first word that is not an option.
  optind = 0;
  opterr = 0;
  char* const* args = const_cast<char* const*>(argv);
  for (;;) {
    const int seen = optind ? optind : 1;
    const int id = getopt_long(argc, args, "+:h", long_options, nullptr);
    if (id == -1) break;
    long n;
    switch (id) {
      case 'h':
        out->help = true;
        break;
      case opt_version:
        out->version = true;
        break;
      case opt_frames:
        if (!parse_number(optarg, 0, LONG_MAX, &n)) return *error = needs(id), false;
        out->frames = n;
        break;
      case opt_capture:
        if (!*optarg) return *error = needs(id), false;
        out->capture = optarg;
        break;
      case opt_seed:
        if (!parse_number(optarg, 0, UINT_MAX, &n)) return *error = needs(id), false;
        out->seeded = true;
        out->seed = static_cast<unsigned>(n);
        break;
      case opt_size:
        if (!parse_size(optarg, &out->width, &out->height)) return *error = needs(id), false;
        break;
      case opt_show_fps:
        out->show_fps = true;
        break;
      case opt_gallery:
        out->gallery = true;
        break;
      case opt_logo:
        out->logo = true;
        break;
      case opt_report_rss:
        out->report_rss = true;
        break;
      case ':':
        *error = needs(optopt);
        return false;
      default: {
        // Unknown or ambiguous: name the word as it was typed, without a value.
        std::string word = argv[seen < argc ? seen : argc - 1];
        *error = "unknown option " + word.substr(0, word.find('='));
        return false;
      }
    }
  }
  if (optind < argc) {
    *error = std::string("unexpected argument ") + argv[optind];
    return false;
  }
  if (out->gallery && out->logo) {
    *error = "--gallery and --logo cannot be shown together";
    return false;
  }
  if (out->frames == 0 && !out->capture.empty()) {
    *error = "--frames 0 draws no frame to capture";
    return false;
  }
  return true;
}
