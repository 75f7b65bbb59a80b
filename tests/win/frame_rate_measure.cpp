// How many frames the timer loop delivers on a full-screen-sized window:
// a figure to print, never a pass mark.
#include <cstdio>

#include "host_state.h"
#include "host_test_support.h"
#include "main.h"
#include "saver_host.h"

TEST(Measure, FramesPerSecondOfTheTimerLoop) {
  reset_host_state();
  is_preview = 1;  // no input rules: the measurement must not end early
  register_saver_class();
  int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  HWND window =
      CreateWindowExA(0, saver_class_name, preview_title, WS_POPUP | WS_VISIBLE, 0, 0, width,
                      height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_TRUE(window);

  int first = scene_state.frame_count;
  DWORD start = GetTickCount();
  MSG message;
  while (GetTickCount() - start < 3000) {
    if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    } else {
      WaitMessage();
    }
  }
  double seconds = (GetTickCount() - start) / 1000.0;
  std::printf("[ MEASURE  ] frames per second at %dx%d: %.1f\n", width, height,
              (scene_state.frame_count - first) / seconds);
  EXPECT_GT(scene_state.frame_count, first);
  DestroyWindow(window);
  drain(nullptr);
  reset_host_state();
}
