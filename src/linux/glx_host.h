// The saver's X11/GLX host: finds or makes its window, puts a GL context on
// it and draws the scene until a signal arrives or the window goes away.
#pragma once

#include <string>

#include "hack_options.h"

// Where the frames go, decided from the options and XSCREENSAVER_WINDOW.
struct hack_target {
  enum kind_t { own_window, given_window, root_window } kind = own_window;
  unsigned long window = 0;  // for given_window
};

// -window-id, then -window, then the daemon's $XSCREENSAVER_WINDOW, then
// -root; nothing at all opens a window of our own. `env_window` may be null.
bool choose_target(const hack_options& options, const char* env_window, hack_target* target,
                   std::string* error);

// Runs the saver; returns the process's exit code.
int run_hack(const hack_options& options);
// The signal that stopped run_hack, or 0.
int hack_stop_signal();
