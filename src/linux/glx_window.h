// The window the saver draws on, with its GL context: one that someone else
// made (the daemon's, a given id, the root) or one of our own.
#pragma once

// clang-format off
#include <GL/glx.h>
#include <X11/Xlib.h>
// clang-format on

#include <string>

struct glx_window {
  Display* dpy = nullptr;
  Window window = 0;
  bool ours = false;
  bool double_buffered = true;
  GLXContext context = nullptr;
  Atom delete_atom = 0;
  int width = 0;
  int height = 0;
};

// Notes X errors and a lost window instead of letting Xlib end the process;
// a lost display connection ends it with exit code 1 and one line.
void install_x_error_handlers();
// True once the window has gone away underneath us: destroyed (the caller
// saw its DestroyNotify and said so) or refused by the X server.
bool glx_window_gone();
void mark_window_gone();

// Draws on an existing window in its own visual; fails with a reason when the
// window does not exist or its visual has no OpenGL.
bool adopt_window(glx_window* w, Window window, std::string* error);
// A 640 x 360 window of our own (or the screen's size), closable by its user.
bool open_own_window(glx_window* w, bool full_screen, std::string* error);
// Asks the window manager to make our own window cover the screen.
void make_full_screen(glx_window* w);
// Lets go of the context, our own window and the display.
void release_window(glx_window* w);
