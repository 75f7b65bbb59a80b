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

// One option: its names, the word its value is shown as (null: no value), the
// help line (null: accepted for xscreensaver's sake and not listed one by
// one), what its value must be, and how it sets the options. `apply` returns
// false for a value that does not fit `needs`.
struct option_spec {
  const char* names[2];
  const char* value_name;
  const char* help;
  const char* needs;
  bool (*apply)(hack_options* o, const char* value);
};

const option_spec options_table[] = {
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
     "a whole number from 0 to 4294967295",
     [](hack_options* o, const char* v) {
       unsigned long long n;
       if (!parse_whole(v, 10, UINT_MAX, &n)) return false;
       o->seeded = true;
       o->seed = static_cast<unsigned>(n);
       return true;
     }},
    {{"music"},
     nullptr,
     "play the tune in a loop (one orvane at a time per user and display)",
     nullptr,
     [](hack_options* o, const char*) { return o->music = true; }},
    {{"soundfont"},
     "FILE",
     "General MIDI sound font for the tune\n"
     "                    (default /usr/share/sounds/sf2/default-GM.sf2)",
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

const option_spec* find_option(const std::string& name) {
  for (const auto& spec : options_table)
    for (const char* n : spec.names)
      if (n && name == n) return &spec;
  return nullptr;
}

std::string make_usage() {
  std::string synopsis = "usage: orvane";
  std::string lines;
  std::string ignored;
  for (const auto& spec : options_table) {
    std::string shown = std::string("-") + spec.names[0];
    if (spec.value_name) shown += std::string(" ") + spec.value_name;
    if (!spec.help) {
      ignored += (ignored.empty() ? "" : ", ") + shown;
      continue;
    }
    if (synopsis.size() - synopsis.rfind('\n') + shown.size() > 78) synopsis += "\n             ";
    synopsis += " [" + shown;
    std::string listed = "  " + shown;
    if (spec.names[1]) {
      synopsis += std::string(" | -") + spec.names[1];
      listed += std::string(", -") + spec.names[1];
    }
    synopsis += "]";
    listed.resize(listed.size() < 20 ? 20 : listed.size() + 1, ' ');
    lines += listed + spec.help + "\n";
  }
  return synopsis + "\n" + lines + "Taken as xscreensaver passes them, and ignored: " + ignored +
         ".\n-window-id wins over -root and -window; of those two the last one wins.\n"
         "Options take one dash or two.\n";
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
  static const std::string usage = make_usage();
  return usage.c_str();
}

bool parse_hack_options(int argc, const char* const* argv, hack_options* out, std::string* error) {
  for (int i = 1; i < argc; ++i) {
    const std::string word = argv[i];
    if (word.size() < 2 || word[0] != '-') {
      *error = "unexpected argument " + word;
      return false;
    }
    std::string name = word.substr(word[1] == '-' ? 2 : 1);
    const size_t eq = name.find('=');
    std::string inline_value;
    if (eq != std::string::npos) {
      inline_value = name.substr(eq + 1);
      name.resize(eq);
    }
    const option_spec* spec = find_option(name);
    if (!spec) {
      *error = "unknown option " + word;
      return false;
    }
    const char* value = "";
    if (!spec->value_name) {
      if (eq != std::string::npos) {
        *error = "option " + word + " takes no value";
        return false;
      }
    } else if (eq != std::string::npos) {
      value = inline_value.c_str();
    } else if (i + 1 < argc) {
      value = argv[++i];
    } else {
      value = nullptr;
    }
    if (!value || !spec->apply(out, value)) {
      *error = std::string("-") + spec->names[0] + " needs " + spec->needs;
      return false;
    }
  }
  return true;
}
