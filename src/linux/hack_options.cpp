#include "hack_options.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

// A whole number in [low, high] with nothing after it; base 0 also takes 0x hex.
bool parse_whole(const char* text, int base, unsigned long long high, unsigned long long* out) {
  if (!text || !*text || *text == '-' || *text == '+' || *text == ' ') return false;
  char* end = nullptr;
  errno = 0;
  unsigned long long v = strtoull(text, &end, base);
  if (errno || *end || v > high) return false;
  *out = v;
  return true;
}

}  // namespace

bool parse_window_id(const char* text, unsigned long* out) {
  unsigned long long v;
  // X resource ids fit in 29 bits.
  if (!parse_whole(text, 0, 0x1FFFFFFF, &v) || v == 0) return false;
  *out = static_cast<unsigned long>(v);
  return true;
}

const char* hack_usage() {
  return "usage: orvane [-root | -window | -window-id ID] [-fullscreen] [-delay USEC] [-fps]\n"
         "              [--seed N] [--music] [--soundfont FILE] [--help] [--version]\n"
         "  -root             draw on the root window, or on $XSCREENSAVER_WINDOW when set\n"
         "  -window           open a window of its own (the default outside xscreensaver)\n"
         "  -window-id ID     draw into an existing window (decimal or 0x hex)\n"
         "  -fullscreen       make its own window cover the screen\n"
         "  -delay USEC       pause between frames in microseconds (default 16666; 0 = no pause)\n"
         "  -fps              draw the frame rate in the top left corner\n"
         "  --seed N          start the star field from this seed instead of the time\n"
         "  --music           play the tune in a loop\n"
         "  --soundfont FILE  General MIDI sound font for the tune\n"
         "                    (default /usr/share/sounds/sf2/default-GM.sf2)\n"
         "Options take one dash or two.\n";
}

bool parse_hack_options(int argc, const char* const* argv, hack_options* out, std::string* error) {
  for (int i = 1; i < argc; ++i) {
    std::string word = argv[i];
    if (word.size() < 2 || word[0] != '-') {
      *error = "unexpected argument " + word;
      return false;
    }
    std::string name = word.substr(word[1] == '-' ? 2 : 1);
    const char* value = nullptr;
    std::string inline_value;
    bool has_inline = false;
    const size_t eq = name.find('=');
    if (eq != std::string::npos) {
      inline_value = name.substr(eq + 1);
      name.resize(eq);
      has_inline = true;
    }
    // Takes the option's value from "=" or the next word.
    auto take_value = [&]() -> const char* {
      if (has_inline) return inline_value.c_str();
      if (i + 1 < argc) return argv[++i];
      return nullptr;
    };
    const bool takes_value =
        name == "window-id" || name == "delay" || name == "seed" || name == "soundfont";
    if (has_inline && !takes_value) {
      *error = "option " + word + " takes no value";
      return false;
    }
    unsigned long long n;
    if (name == "help" || name == "h") {
      out->help = true;
    } else if (name == "version") {
      out->version = true;
    } else if (name == "root") {
      out->root = true;
    } else if (name == "window") {
      out->own_window = true;
    } else if (name == "fullscreen") {
      out->full_screen = true;
    } else if (name == "fps") {
      out->show_fps = true;
    } else if (name == "music") {
      out->music = true;
    } else if (name == "window-id") {
      if (!parse_window_id(value = take_value(), &out->window_id)) {
        *error = "-window-id needs a window id, decimal or 0x hex";
        return false;
      }
    } else if (name == "delay") {
      if (!parse_whole(value = take_value(), 10, 10000000, &n)) {
        *error = "-delay needs microseconds from 0 to 10000000";
        return false;
      }
      out->delay_us = static_cast<long>(n);
    } else if (name == "seed") {
      if (!parse_whole(value = take_value(), 10, UINT_MAX, &n)) {
        *error = "--seed needs a whole number from 0 to 4294967295";
        return false;
      }
      out->seeded = true;
      out->seed = static_cast<unsigned>(n);
    } else if (name == "soundfont") {
      value = take_value();
      if (!value || !*value) {
        *error = "--soundfont needs a file name";
        return false;
      }
      out->sound_font = value;
    } else {
      *error = "unknown option " + word;
      return false;
    }
  }
  const int targets = (out->root ? 1 : 0) + (out->own_window ? 1 : 0) + (out->window_id ? 1 : 0);
  if (targets > 1) {
    *error = "choose one of -root, -window and -window-id";
    return false;
  }
  return true;
}
