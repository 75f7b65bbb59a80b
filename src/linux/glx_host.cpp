#include "glx_host.h"

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
#include "glx_window.h"
#include "main.h"
#include "tune_player.h"
#include "x_font_text.h"

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

glx_window* full_screen_target = nullptr;

// The "FullScreen" setting asks for the screen through the scene's hook.
void ask_full_screen() {
  if (full_screen_target) make_full_screen(full_screen_target);
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
        if (e.xdestroywindow.window == w->window) {
          mark_window_gone();
          return false;
        }
        break;
      case ClientMessage:
        if (w->ours && static_cast<Atom>(e.xclient.data.l[0]) == w->delete_atom) return false;
        break;
      default:  // Expose: the next frame repaints everything anyway.
        break;
    }
  }
  return !glx_window_gone();
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

// Opens the display and the window the options and the daemon point at, with
// the GL context current on it; says why not in `error`.
bool open_target(const hack_options& options, glx_window* w, std::string* error) {
  hack_target target;
  if (!choose_target(options, getenv("XSCREENSAVER_WINDOW"), &target, error)) return false;
  w->dpy = XOpenDisplay(options.display.empty() ? nullptr : options.display.c_str());
  if (!w->dpy) {
    const char* name = options.display.empty() ? getenv("DISPLAY") : options.display.c_str();
    *error = std::string("cannot open the X display \"") + (name ? name : "") + "\"";
    return false;
  }
  install_x_error_handlers();
  bool ready;
  if (target.kind == hack_target::own_window)
    ready = open_own_window(w, options.full_screen, error);
  else
    ready = adopt_window(
        w, target.kind == hack_target::root_window ? DefaultRootWindow(w->dpy) : target.window,
        error);
  if (ready && !glXMakeCurrent(w->dpy, w->window, w->context)) {
    ready = false;
    *error = "cannot use the OpenGL context on the window";
  }
  return ready;
}

// Draws the scene (and plays the tune) on the window until a stop signal
// comes or the window goes.
void run_frames(const hack_options& options, glx_window* w) {
  srand(options.seeded ? options.seed : static_cast<unsigned>(time(nullptr)));
  full_screen_target = w;
  full_screen_hook = ask_full_screen;
  scene_init();
  scene_reshape(w->width, w->height);
  if (options.show_fps) load_x_font_text(w->dpy);

  tune_player music;
  if (options.music)
    music.start(asset_path("music.mid"), options.sound_font, tune_lock_path(DisplayString(w->dpy)),
                options.verbose);

  const auto delay = std::chrono::microseconds(options.delay_us);
  auto next_frame = std::chrono::steady_clock::now();
  run_meter meter;
  while (wait_until(w, next_frame)) {
    // Keep to the beat the delay sets. Woken a whole period late or more (the
    // process was stopped, as a screen locker stops its saver while its unlock
    // dialog is up; or starved; or the last frame was slower than the beat),
    // the beat starts afresh at this frame rather than drawing the missed ones
    // back to back. The scene moves by frames, so it goes on where it stood.
    const auto started = std::chrono::steady_clock::now();
    if (started - next_frame >= delay) next_frame = started;
    meter.frame();
    fps_tick();
    scene_draw();
    if (options.show_fps) draw_fps_label(draw_x_font_text);
    if (w->double_buffered)
      glXSwapBuffers(w->dpy, w->window);
    else
      glFlush();
    next_frame += delay;
  }
  music.stop(500);
  if (options.show_fps) meter.report();
}

}  // namespace

int hack_stop_signal() { return stop_signal; }

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
  glx_window w;
  if (!install_stop_signals(&error) || !open_target(options, &w, &error)) {
    fprintf(stderr, "orvane: %s\n", error.c_str());
    if (w.dpy) release_window(&w);
    return 1;
  }
  run_frames(options, &w);
  // Asked before letting go: closing our own window is not losing it.
  const bool lost = glx_window_gone();
  release_window(&w);
  // Only its user closing our own window is a normal end. A saver never ends
  // by itself otherwise: the program that runs it ends it with a signal, and
  // one that sees exit code 0 may take it for a saver that finished and start
  // the next at once.
  if (lost && !stop_signal) {
    fprintf(stderr, "orvane: the window 0x%lx went away\n", w.window);
    return 1;
  }
  return 0;
}
