// Command-line options of the xscreensaver hack.
#pragma once

#include <string>

struct hack_options {
  bool root = false;            // draw on the root (or XSCREENSAVER_WINDOW)
  bool own_window = false;      // -window: open a window of our own even under the daemon
  bool full_screen = false;     // our own window covers the screen
  unsigned long window_id = 0;  // -window-id: draw into this existing window
  long delay_us = 16666;        // frame period; 0 draws as fast as it can
  bool show_fps = false;
  bool seeded = false;  // --seed given; otherwise the time in seconds
  unsigned seed = 0;
  bool music = false;
  std::string sound_font = ORVANE_SOUND_FONT;  // set at configure time
  std::string display;  // -display; empty: $DISPLAY
  bool verbose = false;
  bool help = false;
  bool version = false;
};

// Parses argv[1..] as xscreensaver's own hacks read their command lines:
// every option may be written with one dash or two, a value may follow as the
// next word or after "="; of -root and -window the last one wins, and
// -window-id wins over both. On failure `error` says why.
bool parse_hack_options(int argc, const char* const* argv, hack_options* out, std::string* error);

// A window id as X prints them: decimal or 0x hex, not zero.
bool parse_window_id(const char* text, unsigned long* out);

// The usage text, made from the same table the parser reads.
const char* hack_usage();
