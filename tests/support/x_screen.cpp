#include "x_screen.h"

#include "nebula_rule.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <X11/Xatom.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "wait_until.h"

Window make_test_window(Display* dpy, int width, int height, bool input_only) {
  const int screen = DefaultScreen(dpy);
  XSetWindowAttributes a{};
  a.background_pixel = BlackPixel(dpy, screen);
  a.event_mask = StructureNotifyMask;
  Window w = input_only ? XCreateWindow(dpy, RootWindow(dpy, screen), 0, 0, width, height, 0, 0,
                                        InputOnly, CopyFromParent, CWEventMask, &a)
                        : XCreateWindow(dpy, RootWindow(dpy, screen), 0, 0, width, height, 0,
                                        CopyFromParent, InputOutput, CopyFromParent,
                                        CWBackPixel | CWEventMask, &a);
  XMapWindow(dpy, w);
  XSync(dpy, False);
  wait_until_true(
      [&] {
        XWindowAttributes wa;
        return XGetWindowAttributes(dpy, w, &wa) && wa.map_state == IsViewable;
      },
      5000);
  return w;
}

namespace {
// Other test programs' windows come and go while the search asks about them;
// Xlib's default handler would end the test on the first one gone.
int ignore_x_error(Display*, XErrorEvent*) { return 0; }
}  // namespace

Window find_top_level(Display* dpy, const std::function<bool(Window)>& match) {
  XSync(dpy, False);
  const auto previous = XSetErrorHandler(ignore_x_error);
  Window root = DefaultRootWindow(dpy), parent, *children = nullptr;
  unsigned count = 0;
  Window found = 0;
  if (XQueryTree(dpy, root, &root, &parent, &children, &count)) {
    for (unsigned i = 0; i < count && !found; ++i) {
      XWindowAttributes a;
      if (match(children[i]) && XGetWindowAttributes(dpy, children[i], &a) &&
          a.map_state == IsViewable)
        found = children[i];
    }
    if (children) XFree(children);
  }
  XSync(dpy, False);
  XSetErrorHandler(previous);
  return found;
}

Window window_titled(Display* dpy, const char* title) {
  return find_top_level(dpy, [&](Window w) {
    char* name = nullptr;
    const bool same = XFetchName(dpy, w, &name) && name && std::strcmp(name, title) == 0;
    if (name) XFree(name);
    return same;
  });
}

Window window_of_pid(Display* dpy, pid_t pid) {
  const Atom pid_atom = XInternAtom(dpy, "_NET_WM_PID", False);
  return find_top_level(dpy, [&](Window w) {
    Atom type;
    int format;
    unsigned long items, after;
    unsigned char* data = nullptr;
    const bool same = XGetWindowProperty(dpy, w, pid_atom, 0, 1, False, XA_CARDINAL, &type,
                                         &format, &items, &after, &data) == Success &&
                      data && items == 1 &&
                      static_cast<pid_t>(*reinterpret_cast<long*>(data)) == pid;
    if (data) XFree(data);
    return same;
  });
}

namespace {
int shift_of(unsigned long mask) {
  int s = 0;
  while (mask && !(mask & 1)) {
    mask >>= 1;
    ++s;
  }
  return s;
}
}  // namespace

double lit_fraction(Display* dpy, Window w, double x0, double y0, double x1, double y1) {
  XWindowAttributes wa;
  if (!XGetWindowAttributes(dpy, w, &wa)) return -1;
  const int left = static_cast<int>(x0 * wa.width), right = static_cast<int>(x1 * wa.width);
  const int top = static_cast<int>(y0 * wa.height), bottom = static_cast<int>(y1 * wa.height);
  if (right <= left || bottom <= top) return -1;
  XImage* img = XGetImage(dpy, w, left, top, right - left, bottom - top, AllPlanes, ZPixmap);
  if (!img) return -1;
  long lit = 0;
  const int rs = shift_of(img->red_mask), gs = shift_of(img->green_mask),
            bs = shift_of(img->blue_mask);
  for (int y = 0; y < img->height; ++y)
    for (int x = 0; x < img->width; ++x) {
      const unsigned long p = XGetPixel(img, x, y);
      // Luma in thousandths, as the shell's ppmtopgm weighs the channels.
      const long luma = 299 * ((p & img->red_mask) >> rs) + 587 * ((p & img->green_mask) >> gs) +
                        114 * ((p & img->blue_mask) >> bs);
      lit += luma > 1000L * nebula_lit_level;
    }
  const double fraction = static_cast<double>(lit) / (img->width * img->height);
  XDestroyImage(img);
  return fraction;
}

private_x_server::private_x_server(int depth) {
  int fds[2];
  if (pipe(fds) != 0) return;
  pid_ = fork();
  if (pid_ == 0) {
    close(fds[0]);
    const std::string fd = std::to_string(fds[1]);
    const std::string screen = "320x240x" + std::to_string(depth);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten",
           "tcp", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  // Xvfb writes its display number once it accepts clients.
  std::string number;
  struct pollfd p {
    fds[0], POLLIN, 0
  };
  char c;
  while (poll(&p, 1, 20000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
  close(fds[0]);
  if (!number.empty()) display_ = ":" + number;
}

private_x_server::~private_x_server() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
}
