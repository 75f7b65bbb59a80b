// Command-line options of the developer viewer.
#pragma once

#include <string>

struct viewer_options {
  long frames = -1;          // quit after this many frames; -1 runs until Escape
  std::string capture;       // write the last frame here (binary PPM)
  long capture_from = -1;    // write each frame from this one on as frame_N.ppm; -1 none
  bool seeded = false;       // --seed given; otherwise the time in seconds
  unsigned seed = 0;
  int width = 640;
  int height = 360;
  bool help = false;
  bool version = false;      // print the version and quit
  bool show_fps = false;     // draw the frame rate in a corner while the meter is on
  bool gallery = false;      // show the shape library instead of the nebula
  bool logo = false;         // show the bouncing logo instead of the nebula
  bool report_rss = false;   // print the resident memory at frame 1000 and at the end
};

// Parses argv[1..]. Returns true on success; on failure `error` says why.
bool parse_viewer_options(int argc, const char* const* argv, viewer_options* out,
                          std::string* error);

const char* viewer_usage();
