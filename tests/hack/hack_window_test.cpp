// The hack as the daemon runs it: drawing into a window someone else made,
// following its size, and ending on a signal or when the window goes.
#include <gtest/gtest.h>
// clang-format off
#include "nebula_rule.h"
#include "x_screen.h"
// clang-format on
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "gl_test_env.h"
#include "hack_process.h"

namespace {

// ms; generous, as the viewer's end-to-end test: on a loaded machine the
// hack may need long for its pictures and first frames. Only a failure waits it out.
constexpr int kDeadline = 60000;

std::string hex_id(Window w) {
  char text[32];
  snprintf(text, sizeof text, "0x%lx", w);
  return text;
}

// The title sits right of and below the centre at any aspect; the cloud
// fills the middle: the shared rule's boxes and least shares.
bool box_lit(Display* dpy, Window w, const nebula_box& b, double least) {
  return lit_fraction(dpy, w, b.left, b.top, b.right, b.bottom) >= least;
}
bool title_lit(Display* dpy, Window w) {
  return box_lit(dpy, w, nebula_title_box, nebula_title_least);
}
bool cloud_lit(Display* dpy, Window w) {
  return box_lit(dpy, w, nebula_cloud_box, nebula_cloud_least);
}
bool shows_nebula(Display* dpy, Window w) { return title_lit(dpy, w) && cloud_lit(dpy, w); }
// The -fps rate appears after the first 100 frames, top left.
bool shows_rate(Display* dpy, Window w) {
  return lit_fraction(dpy, w, 0.0, 0.0, 0.2, 0.08) > 0.01;
}

class HackWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    dpy = XOpenDisplay(nullptr);
    ASSERT_NE(nullptr, dpy);
  }
  void TearDown() override {
    if (dpy) XCloseDisplay(dpy);
  }
  std::string errors() { return read_file_bytes(dir.file("stderr.txt")); }
  Display* dpy = nullptr;
  temp_dir dir;
};

TEST_F(HackWindow, DrawsIntoTheDaemonsWindowFollowsResizeAndEndsOnSigterm) {
  Window w = make_test_window(dpy, 640, 360);
  hack_process hack({"--root", "--seed", "1"}, {{"XSCREENSAVER_WINDOW", hex_id(w)}},
                    dir.file("stderr.txt"));
  EXPECT_TRUE(wait_until_true([&] { return shows_nebula(dpy, w); }, kDeadline)) << errors();

  // A taller window: drawn at the old size, the box where the title now
  // belongs would stay black.
  XResizeWindow(dpy, w, 960, 720);
  XSync(dpy, False);
  EXPECT_TRUE(wait_until_true([&] { return shows_nebula(dpy, w); }, kDeadline)) << errors();

  // xscreensaver stops a hack with SIGTERM and expects it to die of it.
  kill(hack.pid(), SIGTERM);
  int sig = 0;
  ASSERT_TRUE(hack.wait_killed(kDeadline, &sig)) << "still running or exited by itself";
  EXPECT_EQ(SIGTERM, sig) << errors();
  printf("orvane ended %.3f s after SIGTERM\n", hack.seconds_to_exit());
  // A normal run says nothing.
  EXPECT_EQ("", errors());
}

TEST_F(HackWindow, WindowIdDrawsWithTheRateAndDestroyingTheWindowEndsIt) {
  Window w = make_test_window(dpy, 640, 360);
  hack_process hack({"-window-id", std::to_string(w), "-fps", "-delay", "0"},
                    {{"XSCREENSAVER_WINDOW", ""}}, dir.file("stderr.txt"));
  EXPECT_TRUE(wait_until_true([&] { return shows_nebula(dpy, w); }, kDeadline)) << errors();
  EXPECT_TRUE(wait_until_true([&] { return shows_rate(dpy, w); }, kDeadline));

  // Not 0: xsecurelock would take that for a saver that finished and start
  // another at once.
  XDestroyWindow(dpy, w);
  XSync(dpy, False);
  int code = -1;
  ASSERT_TRUE(hack.wait_exit(kDeadline, &code)) << "still running or killed";
  EXPECT_EQ(1, code) << errors();
  EXPECT_EQ("orvane: the window " + hex_id(w) + " went away\n", errors());
}

// With -fps -verbose the run's average is printed as it cleans up: seen
// before the signal ends it, the clean-up ran first. It also counts the
// frames, which a stop (as a screen locker stops its saver) must not add to.
TEST_F(HackWindow, OwnWindowShowsTheNebulaGoesOnAfterAStopAndSigintEndsItAfterCleaningUp) {
  hack_process hack({"-window", "--seed", "2", "-fps", "-verbose"}, {{"XSCREENSAVER_WINDOW", ""}},
                    dir.file("stderr.txt"));
  Window own = 0;
  ASSERT_TRUE(
      wait_until_true([&] { return (own = window_of_pid(dpy, hack.pid())) != 0; }, kDeadline))
      << errors();
  EXPECT_TRUE(wait_until_true([&] { return shows_nebula(dpy, own); }, kDeadline)) << errors();
  // The average needs two frames at least; a loaded machine may have drawn
  // only the first when the nebula shows. The rate on screen means 100.
  EXPECT_TRUE(wait_until_true([&] { return shows_rate(dpy, own); }, kDeadline)) << errors();
  // Stopped for 1.5 s, then a second to run on: lengths under test, not
  // waits for an event.
  const auto stop_start = std::chrono::steady_clock::now();
  kill(hack.pid(), SIGSTOP);
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  kill(hack.pid(), SIGCONT);
  const double stopped =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - stop_start).count();
  std::this_thread::sleep_for(std::chrono::seconds(1));
  kill(hack.pid(), SIGINT);
  int sig = 0;
  ASSERT_TRUE(hack.wait_killed(kDeadline, &sig));
  EXPECT_EQ(SIGINT, sig) << errors();
  const std::string out = errors();
  const size_t rate = out.find(" frames a second, ");
  ASSERT_NE(std::string::npos, rate) << out;
  long frames = 0;
  double seconds = 0;
  ASSERT_EQ(2, sscanf(out.c_str() + out.rfind("orvane: ", rate), "orvane: %ld frames in %lf s",
                      &frames, &seconds))
      << out;
  // At most one frame per 16666 us beat while it ran, none for the 90 beats
  // it missed while stopped; two beats' slack.
  EXPECT_LE(frames - 1, (seconds - stopped) * 1e6 / 16666 + 2) << out;
  // -verbose brings the scene's own lines back.
  EXPECT_NE(std::string::npos, errors().find("OpenGL Version: ")) << errors();
}

TEST_F(HackWindow, WindowsItCannotDrawOnGiveExitOneAndOneLine) {
  Window input_only = make_test_window(dpy, 64, 64, true);
  {
    hack_process hack({"-window-id", hex_id(input_only)}, {}, dir.file("stderr.txt"));
    int code = -1;
    ASSERT_TRUE(hack.wait_exit(kDeadline, &code));
    EXPECT_EQ(1, code);
    EXPECT_NE(std::string::npos,
              errors().find("orvane: window " + hex_id(input_only) + " has no OpenGL visual"))
        << errors();
  }
  {
    // Nothing on the server has this id.
    hack_process hack({"-window-id", "0x1ffffff0"}, {}, dir.file("stderr.txt"));
    int code = -1;
    ASSERT_TRUE(hack.wait_exit(kDeadline, &code));
    EXPECT_EQ(1, code);
    EXPECT_NE(std::string::npos, errors().find("orvane: there is no window 0x1ffffff0"))
        << errors();
  }
  {
    hack_process hack({"--root"}, {{"XSCREENSAVER_WINDOW", "window-7"}}, dir.file("stderr.txt"));
    int code = -1;
    ASSERT_TRUE(hack.wait_exit(kDeadline, &code));
    EXPECT_EQ(1, code);
    EXPECT_NE(std::string::npos,
              errors().find("orvane: XSCREENSAVER_WINDOW is not a window id: window-7"));
  }
}

TEST_F(HackWindow, EightBitVisualHasNoGlAndIsRefused) {
  private_x_server server(8);
  ASSERT_FALSE(server.display().empty()) << "Xvfb did not start";
  Display* eight = XOpenDisplay(server.display().c_str());
  ASSERT_NE(nullptr, eight);
  Window w = make_test_window(eight, 64, 64);
  for (const bool own : {false, true}) {
    std::vector<std::string> args = {"-window-id", hex_id(w)};
    if (own) args = {"-window"};
    hack_process hack(args, {{"DISPLAY", server.display()}}, dir.file("stderr.txt"));
    int code = -1;
    ASSERT_TRUE(hack.wait_exit(kDeadline, &code));
    EXPECT_EQ(1, code);
    const std::string expected =
        own ? "orvane: the X display offers no double-buffered OpenGL visual"
            : "orvane: window " + hex_id(w) + " has no OpenGL visual";
    EXPECT_NE(std::string::npos, errors().find(expected)) << errors();
  }
  XCloseDisplay(eight);
}

TEST_F(HackWindow, MissingPictureEndsWithTheSaversLineAndExitOne) {
  temp_dir empty;
  Window w = make_test_window(dpy, 64, 64);
  hack_process hack({"-window-id", hex_id(w)}, {{"ORVANE_DATA_DIR", empty.path()}},
                    dir.file("stderr.txt"));
  int code = -1;
  ASSERT_TRUE(hack.wait_exit(kDeadline, &code));
  EXPECT_EQ(1, code);
  EXPECT_NE(std::string::npos, errors().find("Texture setup error. main.cpp, ")) << errors();
}

}  // namespace
