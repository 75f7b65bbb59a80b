// The viewer as a program: keys and a drag sent to its real window on the
// same display, captures checked in its working directory.
// gtest first: the X headers define names such as None and Bool as macros.
#include <gtest/gtest.h>
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
// clang-format on
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "gl_test_env.h"
#include "wait_until.h"
#include "x_screen.h"

namespace {

// Generous: on a loaded machine the viewer may need long to read its pictures
// and draw; only a failing run waits the whole time.
constexpr int kDeadline = 60000;
bool wait_for(const std::function<bool()>& done) { return wait_until_true(done, kDeadline); }

// Other test programs' windows come and go between our questions about them;
// a window gone meanwhile is simply not the one we look for.
int ignore_x_errors(Display*, XErrorEvent*) { return 0; }

void send_key(Display* dpy, Window w, KeySym sym) {
  for (int type : {KeyPress, KeyRelease}) {
    XEvent e{};
    e.xkey.type = type;
    e.xkey.display = dpy;
    e.xkey.window = w;
    e.xkey.root = DefaultRootWindow(dpy);
    e.xkey.same_screen = True;
    e.xkey.keycode = XKeysymToKeycode(dpy, sym);
    e.xkey.x = e.xkey.y = 10;
    XSendEvent(dpy, w, True, type == KeyPress ? KeyPressMask : KeyReleaseMask, &e);
  }
  XFlush(dpy);
}

void send_button(Display* dpy, Window w, int type, unsigned button, int x, int y) {
  XEvent e{};
  e.xbutton.type = type;
  e.xbutton.display = dpy;
  e.xbutton.window = w;
  e.xbutton.root = DefaultRootWindow(dpy);
  e.xbutton.same_screen = True;
  e.xbutton.button = button;
  e.xbutton.x = x;
  e.xbutton.y = y;
  e.xbutton.state = type == ButtonRelease ? (Button1Mask << (button - 1)) : 0;
  XSendEvent(dpy, w, True, type == ButtonPress ? ButtonPressMask : ButtonReleaseMask, &e);
  XFlush(dpy);
}

void send_drag_motion(Display* dpy, Window w, unsigned button, int x, int y) {
  XEvent e{};
  e.xmotion.type = MotionNotify;
  e.xmotion.display = dpy;
  e.xmotion.window = w;
  e.xmotion.root = DefaultRootWindow(dpy);
  e.xmotion.same_screen = True;
  e.xmotion.x = x;
  e.xmotion.y = y;
  e.xmotion.state = Button1Mask << (button - 1);
  XSendEvent(dpy, w, True, ButtonMotionMask | PointerMotionMask, &e);
  XFlush(dpy);
}

std::vector<std::string> files_matching(const std::string& dir, const std::string& prefix,
                                        const std::string& suffix) {
  std::vector<std::string> out;
  for (const auto& e : std::filesystem::directory_iterator(dir)) {
    const std::string n = e.path().filename().string();
    if (n.rfind(prefix, 0) == 0 && n.size() > suffix.size() &&
        n.compare(n.size() - suffix.size(), suffix.size(), suffix) == 0)
      out.push_back(n);
  }
  std::sort(out.begin(), out.end());
  return out;
}

// A capture of the 640 x 360 window that has all its bytes.
bool complete_bmp(const std::string& path) {
  std::error_code ec;
  return std::filesystem::file_size(path, ec) == 54u + 640u * 360u * 3u && !ec;
}

// Pixels of a 24-bit BMP brighter than a dim grey.
long bright_pixels(const std::string& bmp) {
  if (bmp.size() < 54) return -1;
  long count = 0;
  for (size_t i = 54; i + 2 < bmp.size(); i += 3) {
    const int sum = static_cast<unsigned char>(bmp[i]) + static_cast<unsigned char>(bmp[i + 1]) +
                    static_cast<unsigned char>(bmp[i + 2]);
    count += sum > 3 * 80;
  }
  return count;
}

}  // namespace

TEST(ViewerProgram, KeysCaptureAndDragZoomsThenEscapeQuits) {
  Display* dpy = XOpenDisplay(nullptr);
  ASSERT_NE(nullptr, dpy);
  XSetErrorHandler(ignore_x_errors);
  temp_dir dir;
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (chdir(dir.path().c_str()) != 0) _exit(126);
    freopen("/dev/null", "w", stdout);
    freopen("viewer.err", "w", stderr);
    execl(ORVANE_VIEWER_PATH, ORVANE_VIEWER_PATH, "--seed", "1", static_cast<char*>(nullptr));
    _exit(127);
  }
  auto stop_child = [&] {
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    XCloseDisplay(dpy);
  };

  Window w = 0;
  if (!wait_for([&] { return (w = window_titled(dpy, "Orvane")) != 0; })) {
    stop_child();
    FAIL() << "no viewer window";
  }
  // Keys queue up until the viewer's loop runs; each capture waits for a frame.
  send_key(dpy, w, XK_b);
  EXPECT_TRUE(wait_for([&] { return files_matching(dir.path(), "frame_", ".bmp").size() == 1; }));
  send_key(dpy, w, XK_g);
  EXPECT_TRUE(
      wait_for([&] { return files_matching(dir.path(), "frame_histgram_", ".ppm").size() == 1; }));
  auto ppm = files_matching(dir.path(), "frame_0", ".ppm");
  auto hist = files_matching(dir.path(), "frame_histgram_", ".ppm");
  ASSERT_EQ(1u, ppm.size());
  ASSERT_EQ(1u, hist.size());
  EXPECT_EQ(ppm[0].substr(6, 8), hist[0].substr(15, 8)) << "both files of g carry one number";

  // Zoom in by a right-button drag up half the window: the cloud covers more.
  auto bmps = files_matching(dir.path(), "frame_", ".bmp");
  ASSERT_EQ(1u, bmps.size());
  EXPECT_TRUE(wait_for([&] { return complete_bmp(dir.file(bmps[0])); }));
  const long before = bright_pixels(read_file_bytes(dir.file(bmps[0])));
  EXPECT_GT(before, 100) << "the capture shows the frame on screen";
  send_button(dpy, w, ButtonPress, 3, 320, 300);
  for (int y = 280; y >= 120; y -= 20) send_drag_motion(dpy, w, 3, 320, y);
  send_button(dpy, w, ButtonRelease, 3, 320, 120);
  send_key(dpy, w, XK_b);  // after the drag: events of one connection arrive in order
  EXPECT_TRUE(wait_for([&] { return files_matching(dir.path(), "frame_", ".bmp").size() == 2; }));
  bmps = files_matching(dir.path(), "frame_", ".bmp");
  ASSERT_EQ(2u, bmps.size());
  EXPECT_TRUE(wait_for([&] { return complete_bmp(dir.file(bmps[1])); }));
  const long after = bright_pixels(read_file_bytes(dir.file(bmps[1])));
  EXPECT_GT(after, 2 * before) << before << " -> " << after;

  send_key(dpy, w, XK_Escape);
  int status = -1;
  const bool ended = wait_for([&] { return waitpid(child, &status, WNOHANG) == child; });
  if (!ended) {
    stop_child();
    FAIL() << "Escape did not end the viewer";
  }
  XCloseDisplay(dpy);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(0, WEXITSTATUS(status)) << read_file_bytes(dir.file("viewer.err"));
}
