// How the page shows the scene on a screen of any size and speed: how fine
// it draws, and how it keeps a tall screen from cutting the title off.
#pragma once

// The drawing buffer's side as a share of the screen's own pixels. The page
// holds at least 30 frames a second: each half second (after the first few
// frames, which include the start) it looks at the rate it drew; below 30 it
// shrinks the pixel count in proportion, aiming at 36 so that one step
// suffices; at 50 or more, with the share below 1, it grows the side by a
// seventh. The gap between 30 and 50 keeps it from swinging. It never draws
// finer than the screen (1) nor coarser than a quarter of its side.
struct web_resolution {
  double scale = 1.0;
  // Called once a frame with the time (milliseconds); true when scale changed.
  bool frame(double now_ms);

 private:
  int frames_seen = 0;
  int window_frames = 0;
  double window_start = 0.0;
};

// The projection's horizontal and vertical scale for a window of that size:
// 1 where it is at least as wide as 16:9; narrower windows (a phone held
// upright) keep the width a 16:9 window shows, and see more above and below.
double web_narrow_view_scale(int width, int height);
