// Windows on the X display: the ones the tests make, the ones they look for,
// and what they show.
#pragma once

// gtest before the X headers: they define None, Bool and Status as macros.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <sys/types.h>

#include <functional>
#include <string>

// A mapped, plain window in the screen's default visual (or InputOnly).
Window make_test_window(Display* dpy, int width, int height, bool input_only = false);

// The first mapped top-level window for which `match` holds, or 0. A window
// that goes while it asks is simply not the one: its errors are ignored.
Window find_top_level(Display* dpy, const std::function<bool(Window)>& match);
// ... whose title is `title`.
Window window_titled(Display* dpy, const char* title);
// ... whose _NET_WM_PID names `pid`.
Window window_of_pid(Display* dpy, pid_t pid);

// Fraction of a window's pixels, inside the box given in fractions of its
// width and height, lit by the shared rule (tests/support/nebula_rule.h). -1
// when the window cannot be read.
double lit_fraction(Display* dpy, Window w, double x0, double y0, double x1, double y1);

// An Xvfb of its own with the given screen depth, for visuals the shared one lacks.
class private_x_server {
 public:
  explicit private_x_server(int depth);
  ~private_x_server();
  const std::string& display() const { return display_; }  // empty if it did not start

 private:
  int pid_ = -1;
  std::string display_;
};
