#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <regex>
#include <string>

#include "gl_test_env.h"
#include "main.h"

namespace {

// The wall clock, as the tests set it.
int64_t fake_now = 0;
int64_t fake_clock() { return fake_now; }

class FpsMeter : public ::testing::Test {
 protected:
  void SetUp() override {
    wall_clock_ms = fake_clock;
    scene_state.frame_count = 0;
    scene_state.fps_enabled = 1;
    scene_state.fps_window_frames = 0;
    scene_state.fps_value = 0;
    scene_state.fps_text[0] = '\0';
    scene_state.elapsed_first_call = 1;
    scene_state.clock_last = 0;
  }
  void TearDown() override { wall_clock_ms = system_wall_clock_ms; }
  // Runs n frames, the clock advancing `step` milliseconds before each.
  void frames(int n, int64_t step) {
    for (int i = 0; i < n; ++i) {
      fake_now += step;
      fps_tick();
    }
  }
};

TEST_F(FpsMeter, WindowsCloseEveryHundredFrames) {
  fake_now = 1000000;
  frames(99, 20);
  EXPECT_EQ(scene_state.fps_value, 0.0f);
  EXPECT_EQ(scene_state.fps_window_frames, 99);
  frames(1, 20);
  // The window starts at the first frame's reading: 99 steps of 20 ms.
  EXPECT_EQ(scene_state.fps_interval, 1980);
  EXPECT_EQ(scene_state.fps_window_frames, 0);
  EXPECT_EQ(scene_state.frame_count, 100);
  frames(100, 10);
  EXPECT_EQ(scene_state.fps_interval, 990);
  EXPECT_EQ(scene_state.frame_count, 200);
}

TEST_F(FpsMeter, TwoSecondsGiveFiftyFramesPerSecond) {
  fake_now = 5000;
  fps_tick();
  fake_now += 2000;
  frames(99, 0);
  EXPECT_EQ(scene_state.fps_interval, 2000);
  EXPECT_EQ(scene_state.fps_value, 50.0f);
  EXPECT_STREQ(scene_state.fps_text, "50.000000 FPS\n");
}

TEST_F(FpsMeter, MeterOffStillCountsFramesAndResumesItsWindow) {
  fake_now = 0;
  frames(30, 5);
  scene_state.fps_enabled = 0;
  int start = scene_state.fps_window_start;
  frames(500, 5);
  EXPECT_EQ(scene_state.frame_count, 530);
  EXPECT_EQ(scene_state.fps_window_frames, 30);
  EXPECT_EQ(scene_state.fps_value, 0.0f);
  scene_state.fps_enabled = 1;
  frames(70, 5);
  EXPECT_EQ(scene_state.fps_window_start, start);
  EXPECT_EQ(scene_state.fps_interval, 5 * 599);  // the pause counts too
}

TEST_F(FpsMeter, ReadingsWrapAt32BitsAndDifferencesStayRight) {
  fake_now = (int64_t{5} << 32) + (int64_t{1} << 31) - 700;  // 700 ms before the sign flips
  int before = clock_ms();
  EXPECT_EQ(scene_state.clock_last, before);
  fake_now += 1500;
  int after = clock_ms();
  EXPECT_LT(after, before);
  EXPECT_EQ(static_cast<int>(static_cast<uint32_t>(after) - static_cast<uint32_t>(before)), 1500);
  // A whole window across the wrap.
  fake_now = (int64_t{1} << 31) - 1000;
  fps_tick();
  fake_now += 1500;
  frames(99, 0);
  EXPECT_EQ(scene_state.fps_interval, 1500);
}

TEST_F(FpsMeter, ClockSetBackReportsAndZeroLengthWindowStaysFinite) {
  fake_now = 100000;
  fps_tick();
  fake_now -= 4000;
  stream_capture err(2);
  frames(99, 0);
  EXPECT_TRUE(std::regex_match(err.text(), std::regex("## FPS calculate error\\. main\\.cpp, \\d+\n")));
  EXPECT_EQ(scene_state.fps_value, -25.0f);
  EXPECT_EQ(scene_state.fps_window_frames, 0);
  frames(100, 0);  // a hundred frames inside one millisecond
  EXPECT_EQ(scene_state.fps_interval, 0);
  EXPECT_TRUE(std::isfinite(scene_state.fps_value));
  EXPECT_EQ(scene_state.fps_value, 100000.0f);
}

TEST_F(FpsMeter, ElapsedCountsFromItsFirstCall) {
  fake_now = 77777;
  EXPECT_EQ(elapsed_ms(), 0);
  fake_now += 250;
  EXPECT_EQ(elapsed_ms(), 250);
  fake_now += 1000;
  EXPECT_EQ(elapsed_ms(), 1250);
  EXPECT_EQ(scene_state.clock_last, 0) << "elapsed_ms must not touch the meter's clock";
}

}  // namespace
