#include "hack_options.h"

#include "option_table.h"
#include "whole_number.h"

namespace {

using cli::parse_whole;

// Options without a help line are taken for xscreensaver's sake and only
// named in the usage's summary line. constexpr: the table is read before
// static constructors run (see hack_main.cpp), so it must need none.
constexpr cli::option<hack_options> options_table[] = {
    {{"root"},
     nullptr,
     "draw on the root window, or on $XSCREENSAVER_WINDOW when set",
     nullptr,
     [](hack_options* o, const char*) { return o->root = true, o->own_window = false, true; }},
    {{"window"},
     nullptr,
     "open a window of its own (the default outside xscreensaver)",
     nullptr,
     [](hack_options* o, const char*) { return o->own_window = true, o->root = false, true; }},
    {{"window-id"},
     "ID",
     "draw into an existing window (decimal or 0x hex)",
     "a window id, decimal or 0x hex",
     [](hack_options* o, const char* v) { return parse_window_id(v, &o->window_id); }},
    {{"fullscreen"},
     nullptr,
     "make its own window cover the screen",
     nullptr,
     [](hack_options* o, const char*) { return o->full_screen = true; }},
    {{"delay"},
     "USEC",
     "frame period in microseconds (default 16666, about 60 frames a second;\n"
     "                    0 = as fast as it can)",
     "microseconds from 0 to 10000000",
     [](hack_options* o, const char* v) {
       unsigned long long n;
       if (!parse_whole(v, 10, 10000000, &n)) return false;
       o->delay_us = static_cast<long>(n);
       return true;
     }},
    {{"fps"},
     nullptr,
     "draw the frame rate in the top left corner",
     nullptr,
     [](hack_options* o, const char*) { return o->show_fps = true; }},
    {{"no-fps"},
     nullptr,
     "do not draw it (the default)",
     nullptr,
     [](hack_options* o, const char*) { return !(o->show_fps = false); }},
    {{"seed"},
     "N",
     "start the star field from this seed instead of the time",
     cli::seed_needs,
     [](hack_options* o, const char* v) { return o->seeded = cli::parse_seed(v, &o->seed); }},
    {{"music"},
     nullptr,
     "play the tune in a loop (one orvane at a time per user and display)",
     nullptr,
     [](hack_options* o, const char*) { return o->music = true; }},
    {{"soundfont"},
     "FILE",
     "General MIDI sound font for the tune\n"
     "                    (default " ORVANE_SOUND_FONT ")",
     "a file name",
     [](hack_options* o, const char* v) { return *v && (o->sound_font = v, true); }},
    {{"display"},
     "D",
     "the X display to draw on (default $DISPLAY)",
     "a display name",
     [](hack_options* o, const char* v) { return *v && (o->display = v, true); }},
    {{"verbose", "v"},
     nullptr,
     "print diagnostic lines (a normal run prints nothing)",
     nullptr,
     [](hack_options* o, const char*) { return o->verbose = true; }},
    {{"help", "h"},
     nullptr,
     "print this and stop",
     nullptr,
     [](hack_options* o, const char*) { return o->help = true; }},
    {{"version"},
     nullptr,
     "print the version and stop",
     nullptr,
     [](hack_options* o, const char*) { return o->version = true; }},
    // xscreensaver's common options that mean nothing here: the hack picks
    // its own OpenGL visual and colours and sizes its window itself.
    {{"visual"}, "V", nullptr, "a visual", [](hack_options*, const char* v) { return *v != 0; }},
    {{"geometry"}, "G", nullptr, "a geometry", [](hack_options*, const char* v) { return *v != 0; }},
    {{"install"}, nullptr, nullptr, nullptr, [](hack_options*, const char*) { return true; }},
    {{"noinstall"}, nullptr, nullptr, nullptr, [](hack_options*, const char*) { return true; }},
    {{"mono"}, nullptr, nullptr, nullptr, [](hack_options*, const char*) { return true; }},
};

const cli::style hack_style = {"orvane", "-"};

}  // namespace

bool parse_window_id(const char* text, unsigned long* out) {
  unsigned long long v;
  // Hex only after 0x or 0X; anything else is decimal, leading zeros and all
  // (no program prints a window id in octal). X resource ids fit in 29 bits.
  const bool hex = text && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  if (!parse_whole(text, hex ? 16 : 10, 0x1FFFFFFF, &v) || v == 0) return false;
  *out = static_cast<unsigned long>(v);
  return true;
}

const char* hack_usage() {
  static const std::string usage =
      cli::make_usage(options_table, hack_style, "Taken as xscreensaver passes them, and ignored: ") +
      "-window-id wins over -root and -window; of those two the last one wins.\n"
      "Options take one dash or two.\n";
  return usage.c_str();
}

bool parse_hack_options(int argc, const char* const* argv, hack_options* out, std::string* error) {
  return cli::parse_options(options_table, hack_style, argc, argv, out, error);
}
