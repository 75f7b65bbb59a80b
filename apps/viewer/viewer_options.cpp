#include "viewer_options.h"

#include <climits>
#include <cstring>

#include "option_table.h"
#include "whole_number.h"

namespace {

// A side of one pixel never gets a frame drawn: the window waits forever.
bool parse_side(const std::string& text, int* out) {
  unsigned long long v;
  if (!cli::parse_whole(text.c_str(), 10, 16384, &v) || v < 2) return false;
  *out = static_cast<int>(v);
  return true;
}

bool parse_size(const char* text, int* w, int* h) {
  const char* x = strchr(text, 'x');
  return x && parse_side(std::string(text, x), w) && parse_side(x + 1, h);
}

// A frame count or number: decimal, as large as a long holds.
bool parse_frame_number(const char* text, long* out) {
  unsigned long long n;
  if (!cli::parse_whole(text, 10, LONG_MAX, &n)) return false;
  *out = static_cast<long>(n);
  return true;
}

constexpr cli::option<viewer_options> options_table[] = {
    {{"frames"},
     "N",
     "quit after N frames",
     "a whole number of frames",
     [](viewer_options* o, const char* v) { return parse_frame_number(v, &o->frames); }},
    {{"capture"},
     "FILE",
     "after the last frame, write it to FILE as a binary PPM",
     "a file name",
     [](viewer_options* o, const char* v) { return *v && (o->capture = v, true); }},
    {{"capture-from"},
     "N",
     "write every frame from N on as frame_N.ppm in this folder",
     "a whole number of frames",
     [](viewer_options* o, const char* v) { return parse_frame_number(v, &o->capture_from); }},
    {{"seed"},
     "N",
     "seed the star field with N instead of the time",
     cli::seed_needs,
     [](viewer_options* o, const char* v) { return o->seeded = cli::parse_seed(v, &o->seed); }},
    {{"size"},
     "WxH",
     "window size (default 640x360)",
     "WIDTHxHEIGHT, each 2 to 16384",
     [](viewer_options* o, const char* v) { return parse_size(v, &o->width, &o->height); }},
    {{"show-fps"},
     nullptr,
     "draw the frame rate in the top left corner while the meter is on",
     nullptr,
     [](viewer_options* o, const char*) { return o->show_fps = true; }},
    {{"gallery"},
     nullptr,
     "show the shape library instead of the nebula",
     nullptr,
     [](viewer_options* o, const char*) { return o->gallery = true; }},
    {{"logo"},
     nullptr,
     "show the bouncing logo instead of the nebula",
     nullptr,
     [](viewer_options* o, const char*) { return o->logo = true; }},
    {{"report-rss"},
     nullptr,
     "print the resident memory at frame 1000 and after the last frame",
     nullptr,
     [](viewer_options* o, const char*) { return o->report_rss = true; }},
    {{"help", "h"},
     nullptr,
     "print this and quit",
     nullptr,
     [](viewer_options* o, const char*) { return o->help = true; }},
    {{"version"},
     nullptr,
     "print the version and quit",
     nullptr,
     [](viewer_options* o, const char*) { return o->version = true; }},
};

const cli::style viewer_style = {"orvane-viewer", "--"};

}  // namespace

const char* viewer_usage() {
  static const std::string usage =
      cli::make_usage(options_table, viewer_style, "") +
      "Options take one dash or two.\n"
      "keys:  Escape, q, Q quit   b save frame_N.bmp   g save frame_N.ppm and its histogram\n"
      "       f toggle full screen   p switch the frame-rate meter\n"
      "mouse: left drag turns the cloud, middle drag pans, right drag zooms (up: in)\n";
  return usage.c_str();
}

bool parse_viewer_options(int argc, const char* const* argv, viewer_options* out,
                          std::string* error) {
  if (!cli::parse_options(options_table, viewer_style, argc, argv, out, error)) return false;
  if (out->gallery && out->logo) {
    *error = "--gallery and --logo cannot be shown together";
    return false;
  }
  if (out->frames == 0 && !out->capture.empty()) {
    *error = "--frames 0 draws no frame to capture";
    return false;
  }
  // Without an end (frames -1) it would write frames until the disk is full.
  if (out->capture_from > out->frames) {
    *error = "--capture-from needs --frames N of at least that frame";
    return false;
  }
  return true;
}
