#include "glx_window.h"

// clang-format off
#include <X11/Xatom.h>
#include <X11/Xutil.h>
// clang-format on
#include <unistd.h>

#include <cstdio>

namespace {

// A foreign window can vanish at any moment; the errors that follow must not
// end the process the default way, so note them and let the loop decide.
Window watched_window = 0;
volatile bool watched_window_gone = false;

int on_x_error(Display*, XErrorEvent* e) {
  if (e->resourceid == watched_window || e->error_code == BadWindow || e->error_code == BadDrawable)
    watched_window_gone = true;
  return 0;
}

int on_x_io_error(Display*) {
  fprintf(stderr, "orvane: lost the connection to the X display\n");
  fflush(stdout);
  _exit(1);
}

bool visual_has_gl(Display* dpy, XVisualInfo* vi, bool* double_buffered) {
  int use_gl = 0, rgba = 0, db = 0;
  if (glXGetConfig(dpy, vi, GLX_USE_GL, &use_gl) != 0 || !use_gl) return false;
  if (glXGetConfig(dpy, vi, GLX_RGBA, &rgba) != 0 || !rgba) return false;
  glXGetConfig(dpy, vi, GLX_DOUBLEBUFFER, &db);
  *double_buffered = db != 0;
  return true;
}

}  // namespace

void install_x_error_handlers() {
  XSetErrorHandler(on_x_error);
  XSetIOErrorHandler(on_x_io_error);
}

bool glx_window_gone() { return watched_window_gone; }
void mark_window_gone() { watched_window_gone = true; }

// Draws on a window that someone else made, in that window's own visual.
bool adopt_window(glx_window* w, Window window, std::string* error) {
  char name[64];
  snprintf(name, sizeof name, "0x%lx", window);
  watched_window = window;
  XWindowAttributes a;
  if (!XGetWindowAttributes(w->dpy, window, &a)) {
    *error = std::string("there is no window ") + name;
    return false;
  }
  XVisualInfo templ{};
  templ.visualid = XVisualIDFromVisual(a.visual);
  int count = 0;
  XVisualInfo* vi =
      a.c_class == InputOnly ? nullptr : XGetVisualInfo(w->dpy, VisualIDMask, &templ, &count);
  const bool usable = vi && visual_has_gl(w->dpy, vi, &w->double_buffered);
  if (usable) w->context = glXCreateContext(w->dpy, vi, nullptr, True);
  if (vi) XFree(vi);
  if (!usable) {
    char visual[32];
    snprintf(visual, sizeof visual, "0x%lx", static_cast<unsigned long>(templ.visualid));
    *error = std::string("window ") + name + " has no OpenGL visual (visual " + visual +
             "); cannot draw there";
    return false;
  }
  if (!w->context) {
    *error = std::string("cannot make an OpenGL context for window ") + name;
    return false;
  }
  w->window = window;
  w->width = a.width;
  w->height = a.height;
  // Only structure and exposure: the daemon, not us, watches the input.
  XSelectInput(w->dpy, window, StructureNotifyMask | ExposureMask);
  return true;
}

bool open_own_window(glx_window* w, bool full_screen, std::string* error) {
  int attributes[] = {GLX_RGBA, GLX_RED_SIZE,   1, GLX_GREEN_SIZE,   1,   GLX_BLUE_SIZE,
                      1,        GLX_DEPTH_SIZE, 1, GLX_DOUBLEBUFFER, None};
  const int screen = DefaultScreen(w->dpy);
  XVisualInfo* vi = glXChooseVisual(w->dpy, screen, attributes);
  if (!vi) {
    *error = "the X display offers no double-buffered OpenGL visual";
    return false;
  }
  const Window root = RootWindow(w->dpy, screen);
  XSetWindowAttributes swa{};
  swa.colormap = XCreateColormap(w->dpy, root, vi->visual, AllocNone);
  swa.background_pixel = BlackPixel(w->dpy, screen);
  swa.border_pixel = 0;
  swa.event_mask = StructureNotifyMask | ExposureMask;
  w->width = full_screen ? DisplayWidth(w->dpy, screen) : 640;
  w->height = full_screen ? DisplayHeight(w->dpy, screen) : 360;
  w->window =
      XCreateWindow(w->dpy, root, 0, 0, w->width, w->height, 0, vi->depth, InputOutput, vi->visual,
                    CWColormap | CWBackPixel | CWBorderPixel | CWEventMask, &swa);
  w->ours = true;
  watched_window = w->window;
  XStoreName(w->dpy, w->window, "Orvane");
  XClassHint hint{const_cast<char*>("orvane"), const_cast<char*>("Orvane")};
  XSetClassHint(w->dpy, w->window, &hint);
  w->delete_atom = XInternAtom(w->dpy, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(w->dpy, w->window, &w->delete_atom, 1);
  long pid = getpid();
  XChangeProperty(w->dpy, w->window, XInternAtom(w->dpy, "_NET_WM_PID", False), XA_CARDINAL, 32,
                  PropModeReplace, reinterpret_cast<unsigned char*>(&pid), 1);
  if (full_screen) {
    Atom state = XInternAtom(w->dpy, "_NET_WM_STATE_FULLSCREEN", False);
    XChangeProperty(w->dpy, w->window, XInternAtom(w->dpy, "_NET_WM_STATE", False), XA_ATOM, 32,
                    PropModeReplace, reinterpret_cast<unsigned char*>(&state), 1);
  }
  w->context = glXCreateContext(w->dpy, vi, nullptr, True);
  XFree(vi);
  if (!w->context) {
    *error = "cannot make an OpenGL context";
    return false;
  }
  XMapWindow(w->dpy, w->window);
  return true;
}
void make_full_screen(glx_window* w) {
  if (!w->ours) return;
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = w->window;
  e.xclient.message_type = XInternAtom(w->dpy, "_NET_WM_STATE", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = 1;  // add
  e.xclient.data.l[1] = XInternAtom(w->dpy, "_NET_WM_STATE_FULLSCREEN", False);
  XSendEvent(w->dpy, DefaultRootWindow(w->dpy), False,
             SubstructureRedirectMask | SubstructureNotifyMask, &e);
  XMoveResizeWindow(w->dpy, w->window, 0, 0, DisplayWidth(w->dpy, DefaultScreen(w->dpy)),
                    DisplayHeight(w->dpy, DefaultScreen(w->dpy)));
}

void release_window(glx_window* w) {
  if (w->context) {
    glXMakeCurrent(w->dpy, None, nullptr);
    glXDestroyContext(w->dpy, w->context);
  }
  if (w->ours && w->window && !watched_window_gone) XDestroyWindow(w->dpy, w->window);
  XSync(w->dpy, False);
  XCloseDisplay(w->dpy);
}
