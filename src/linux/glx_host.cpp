#include "glx_host.h"

// clang-format off
#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
// clang-format on
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "fps_label.h"
#include "main.h"
#include "tune_player.h"

namespace {

volatile sig_atomic_t stop_signal = 0;
int wake_pipe[2] = {-1, -1};

void on_stop_signal(int sig) {
  stop_signal = sig;
  const char byte = 1;
  // The pipe is non-blocking: a full pipe already holds a wake-up.
  ssize_t ignored = write(wake_pipe[1], &byte, 1);
  (void)ignored;
}

bool install_stop_signals(std::string* error) {
  if (pipe(wake_pipe) != 0) {
    *error = "cannot make a pipe for signals";
    return false;
  }
  for (int fd : wake_pipe) {
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    fcntl(fd, F_SETFD, FD_CLOEXEC);
  }
  struct sigaction sa {};
  sa.sa_handler = on_stop_signal;
  sigemptyset(&sa.sa_mask);
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &sa, nullptr);
  return true;
}

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

glx_window* full_screen_target = nullptr;

// The "FullScreen" setting and -fullscreen both ask the window manager.
void ask_full_screen() {
  glx_window* w = full_screen_target;
  if (!w || !w->ours) return;
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

bool visual_has_gl(Display* dpy, XVisualInfo* vi, bool* double_buffered) {
  int use_gl = 0, rgba = 0, db = 0;
  if (glXGetConfig(dpy, vi, GLX_USE_GL, &use_gl) != 0 || !use_gl) return false;
  if (glXGetConfig(dpy, vi, GLX_RGBA, &rgba) != 0 || !rgba) return false;
  glXGetConfig(dpy, vi, GLX_DOUBLEBUFFER, &db);
  *double_buffered = db != 0;
  return true;
}

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

// Handles what the X server has sent; returns false when the window is gone
// or its user closed it.
bool handle_x_events(glx_window* w) {
  while (XPending(w->dpy)) {
    XEvent e;
    XNextEvent(w->dpy, &e);
    switch (e.type) {
      case ConfigureNotify:
        if (e.xconfigure.window == w->window &&
            (e.xconfigure.width != w->width || e.xconfigure.height != w->height)) {
          w->width = e.xconfigure.width;
          w->height = e.xconfigure.height;
          scene_reshape(w->width, w->height);
        }
        break;
      case DestroyNotify:
        if (e.xdestroywindow.window == w->window) return false;
        break;
      case ClientMessage:
        if (w->ours && static_cast<Atom>(e.xclient.data.l[0]) == w->delete_atom) return false;
        break;
      default:  // Expose: the next frame repaints everything anyway.
        break;
    }
  }
  return !watched_window_gone;
}

// Waits until `deadline`, handling X events meanwhile; returns false when it
// is time to stop.
bool wait_until(glx_window* w, std::chrono::steady_clock::time_point deadline) {
  const int x_fd = ConnectionNumber(w->dpy);
  for (;;) {
    if (stop_signal || !handle_x_events(w)) return false;
    const auto left = deadline - std::chrono::steady_clock::now();
    if (left <= std::chrono::steady_clock::duration::zero()) return true;
    const auto us = std::chrono::duration_cast<std::chrono::microseconds>(left).count();
    struct timespec timeout {
      static_cast<time_t>(us / 1000000), static_cast<long>(us % 1000000) * 1000
    };
    struct pollfd fds[2] = {{x_fd, POLLIN, 0}, {wake_pipe[0], POLLIN, 0}};
    if (ppoll(fds, 2, &timeout, nullptr) < 0 && errno != EINTR) return true;
  }
}

// Display lists for the characters 32 ... 127, from the server's own "fixed" font.
GLuint font_lists = 0;
int font_advance = 0;

void draw_x_font_text(float x, float y, const char* text) {
  if (!font_lists) return;
  glRasterPos2f(x, y);
  for (const char* c = text; *c; ++c) {
    // The server's blank glyph makes an empty list: step over it by hand.
    if (*c == ' ')
      glBitmap(0, 0, 0, 0, static_cast<GLfloat>(font_advance), 0, nullptr);
    else if (*c > 32 && *c < 127)
      glCallList(font_lists + (*c - 32));
  }
}

void load_fps_font(Display* dpy) {
  XFontStruct* font = XLoadQueryFont(dpy, "fixed");
  if (!font) {
    fprintf(stderr, "orvane: no \"fixed\" font; the frame rate is not drawn\n");
    return;
  }
  font_lists = glGenLists(96);
  glXUseXFont(font->fid, 32, 96, font_lists);
  font_advance = font->max_bounds.width;
  XFreeFont(dpy, font);
}

// Frames, wall time and processor time from the first frame to the end, so
// that -fps also leaves the average behind on standard output.
class run_meter {
 public:
  void frame() {
    if (frames_++ == 0) {
      start_ = std::chrono::steady_clock::now();
      start_cpu_ = cpu_seconds();
    }
  }
  void report() const {
    if (frames_ < 2) return;
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    const double cpu = cpu_seconds() - start_cpu_;
    printf("orvane: %ld frames in %.2f s: %.1f frames a second, %.0f%% of one processor\n", frames_,
           wall, (frames_ - 1) / wall, 100.0 * cpu / wall);
  }

 private:
  static double cpu_seconds() {
    struct rusage use {};
    getrusage(RUSAGE_SELF, &use);
    return use.ru_utime.tv_sec + use.ru_stime.tv_sec +
           (use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1e6;
  }
  long frames_ = 0;
  std::chrono::steady_clock::time_point start_;
  double start_cpu_ = 0;
};

void release(glx_window* w) {
  if (w->context) {
    glXMakeCurrent(w->dpy, None, nullptr);
    glXDestroyContext(w->dpy, w->context);
  }
  if (w->ours && w->window && !watched_window_gone) XDestroyWindow(w->dpy, w->window);
  XSync(w->dpy, False);
  XCloseDisplay(w->dpy);
}

}  // namespace

bool choose_target(const hack_options& options, const char* env_window, hack_target* target,
                   std::string* error) {
  if (options.window_id) {
    target->kind = hack_target::given_window;
    target->window = options.window_id;
  } else if (options.own_window) {
    target->kind = hack_target::own_window;
  } else if (env_window && *env_window) {
    if (!parse_window_id(env_window, &target->window)) {
      *error = std::string("XSCREENSAVER_WINDOW is not a window id: ") + env_window;
      return false;
    }
    target->kind = hack_target::given_window;
  } else if (options.root) {
    target->kind = hack_target::root_window;
  } else {
    target->kind = hack_target::own_window;
  }
  return true;
}

int run_hack(const hack_options& options) {
  std::string error;
  hack_target target;
  if (!choose_target(options, getenv("XSCREENSAVER_WINDOW"), &target, &error) ||
      !install_stop_signals(&error)) {
    fprintf(stderr, "orvane: %s\n", error.c_str());
    return 1;
  }
  glx_window w;
  w.dpy = XOpenDisplay(nullptr);
  if (!w.dpy) {
    const char* name = getenv("DISPLAY");
    fprintf(stderr, "orvane: cannot open the X display \"%s\"\n", name ? name : "");
    return 1;
  }
  XSetErrorHandler(on_x_error);
  XSetIOErrorHandler(on_x_io_error);
  bool ready;
  if (target.kind == hack_target::own_window)
    ready = open_own_window(&w, options.full_screen, &error);
  else
    ready = adopt_window(
        &w, target.kind == hack_target::root_window ? DefaultRootWindow(w.dpy) : target.window,
        &error);
  if (ready && !glXMakeCurrent(w.dpy, w.window, w.context)) {
    ready = false;
    error = "cannot use the OpenGL context on the window";
  }
  if (!ready) {
    fprintf(stderr, "orvane: %s\n", error.c_str());
    release(&w);
    return 1;
  }

  srand(options.seeded ? options.seed : static_cast<unsigned>(time(nullptr)));
  full_screen_target = &w;
  full_screen_hook = ask_full_screen;
  scene_init();
  scene_reshape(w.width, w.height);
  if (options.show_fps) load_fps_font(w.dpy);

  tune_player music;
  if (options.music) music.start(asset_path("music.mid"), options.sound_font);

  const auto delay = std::chrono::microseconds(options.delay_us);
  auto next_frame = std::chrono::steady_clock::now();
  run_meter meter;
  while (wait_until(&w, next_frame)) {
    meter.frame();
    fps_tick();
    scene_draw();
    if (options.show_fps) draw_fps_label(draw_x_font_text);
    if (w.double_buffered)
      glXSwapBuffers(w.dpy, w.window);
    else
      glFlush();
    // Keep to the beat the delay sets; a slow frame starts the beat afresh.
    const auto now = std::chrono::steady_clock::now();
    next_frame += delay;
    if (next_frame < now) next_frame = now;
  }
  music.stop(500);
  if (options.show_fps) meter.report();
  release(&w);
  return 0;
}
