// The scene's window procedure: creation, frames, the music loop, the
// projection and teardown, with a media window of our own standing in for
// the platform's so that its answers can be scripted.
// clang-format off
#include <windows.h>
#include <vfw.h>  // needs the types of windows.h first
// clang-format on

#include <string>
#include <vector>

#include "host_state.h"
#include "host_test_support.h"
#include "import_override.h"
#include "main.h"
#include "saver_host.h"

namespace {

// Answers the position and end requests from a script and writes down every
// media request it gets.
struct media_stand_in {
  LONG position = 0;
  LONG end = 0;
  std::vector<UINT> requests;
  std::string opened;
  int count(UINT message) const {
    int n = 0;
    for (UINT r : requests) n += r == message;
    return n;
  }
} media;

LRESULT CALLBACK media_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case MCIWNDM_GETPOSITIONA:
      media.requests.push_back(message);
      return media.position;
    case MCIWNDM_GETEND:
      media.requests.push_back(message);
      return media.end;
    case MCIWNDM_OPENA:
      media.requests.push_back(message);
      media.opened = reinterpret_cast<const char*>(lparam);
      return 0;
    case MCI_PLAY:
    case MCI_CLOSE:
    case WM_CLOSE:
      media.requests.push_back(message);
      break;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

// Swaps the platform's media window for the stand-in.
void use_media_stand_in(HWND owner) {
  HWND real = static_cast<HWND>(scene_state.media_window);
  SendMessageA(real, MCI_CLOSE, 0, 0);
  DestroyWindow(real);
  media = media_stand_in{};
  scene_state.media_window = make_window(media_proc, WS_CHILD, owner, 1, 1);
  ASSERT_TRUE(scene_state.media_window);
}

// Takes the place of the platform's media window factory, so that the
// requests of the scene's creation are seen from the first.
HWND VFWAPIV create_media_stand_in(HWND parent, HINSTANCE, DWORD style, LPCSTR) {
  media = media_stand_in{};
  media.end = 4321;
  return make_window(media_proc, style, parent, 1, 1);
}

HWND make_scene_window(int width, int height) {
  return make_window(saver_event_proc, WS_POPUP, nullptr, width, height, "SceneTestWindow");
}

std::vector<GLint> viewport() {
  std::vector<GLint> box(4);
  glGetIntegerv(GL_VIEWPORT, box.data());
  return box;
}

GLfloat projection(int index) {
  GLfloat matrix[16];
  glGetFloatv(GL_PROJECTION_MATRIX, matrix);
  return matrix[index];
}

class SaverEventProc : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    is_preview = 1;  // keeps the default rules out of the way
    window = make_scene_window(400, 200);
    ASSERT_TRUE(window);
  }
  void TearDown() override {
    if (IsWindow(window)) DestroyWindow(window);
    drain(nullptr);
    HostTest::TearDown();
  }
  HWND window = nullptr;
};

}  // namespace

TEST_F(SaverEventProc, CreationLeavesAContextATimerAndAnOrthographicView) {
  EXPECT_EQ(scene_state.render_context, wglGetCurrentContext());
  EXPECT_EQ(400, scene_state.client_width);
  EXPECT_EQ(200, scene_state.client_height);
  EXPECT_EQ((std::vector<GLint>{0, 0, 400, 200}), viewport());
  // x from -10 to 10, y and z from -5 to 5.
  EXPECT_FLOAT_EQ(0.1f, projection(0));
  EXPECT_FLOAT_EQ(0.2f, projection(5));
  EXPECT_FLOAT_EQ(-0.2f, projection(10));
  GLint mode;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(GL_MODELVIEW, mode);
  GLfloat clear[4];
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
  EXPECT_EQ(0.0f, clear[0] + clear[1] + clear[2]);
  EXPECT_EQ(1.0f, clear[3]);
  EXPECT_TRUE(IsWindow(static_cast<HWND>(scene_state.media_window)));
  // Frames are drawn behind the scenes and swapped in whole.
  HDC dc = GetDC(window);
  PIXELFORMATDESCRIPTOR format = {};
  ASSERT_TRUE(DescribePixelFormat(dc, GetPixelFormat(dc), sizeof format, &format));
  EXPECT_TRUE(format.dwFlags & PFD_DOUBLEBUFFER);
  EXPECT_TRUE(format.dwFlags & PFD_SUPPORT_OPENGL);
  ReleaseDC(window, dc);

  MSG tick;
  DWORD start = GetTickCount();
  bool ticked = false;
  while (!ticked && GetTickCount() - start < 2000)
    ticked = PeekMessageA(&tick, window, WM_TIMER, WM_TIMER, PM_REMOVE);
  ASSERT_TRUE(ticked);
  EXPECT_EQ(0x7FFFu, tick.wParam);
}

TEST_F(SaverEventProc, CreationOpensTheInstalledTunePlaysItAndAsksItsEnd) {
  HWND second;
  {
    import_override factory("msvfw32.dll", "MCIWndCreateA",
                            reinterpret_cast<void*>(create_media_stand_in));
    ASSERT_TRUE(factory.active());
    second = make_scene_window(200, 100);
  }
  ASSERT_TRUE(second);
  EXPECT_EQ((std::vector<UINT>{MCIWNDM_OPENA, MCI_PLAY, MCIWNDM_GETEND}), media.requests);
  EXPECT_EQ("c:/Program Files/Orvane/music.mid", media.opened);
  EXPECT_EQ(4321, scene_state.media_end);
  HWND media_window = static_cast<HWND>(scene_state.media_window);
  EXPECT_EQ(second, GetParent(media_window));
  EXPECT_FALSE(IsWindowVisible(media_window));
  DestroyWindow(second);
  drain(nullptr);
}

TEST_F(SaverEventProc, EveryTimerMessageDrawsOneFrameWhateverItsIdentifier) {
  use_media_stand_in(window);
  media.end = 1000;
  int frames = scene_state.frame_count;
  for (WPARAM id : {0x7FFF, 1, 0}) SendMessageA(window, WM_TIMER, id, 0);
  EXPECT_EQ(frames + 3, scene_state.frame_count);
  EXPECT_EQ(3, media.count(MCIWNDM_GETPOSITIONA));
}

TEST_F(SaverEventProc, TheTuneIsRestartedOncePerFrameAtOrPastItsEnd) {
  use_media_stand_in(window);
  scene_state.media_end = 1000;
  struct step {
    LONG position;
    int plays;
  };
  for (step s : {step{0, 0}, step{999, 0}, step{1000, 1}, step{1500, 1}, step{-5, 0}}) {
    media.requests.clear();
    media.position = s.position;
    SendMessageA(window, WM_TIMER, 0x7FFF, 0);
    EXPECT_EQ(1, media.count(MCIWNDM_GETPOSITIONA)) << s.position;
    EXPECT_EQ(s.plays, media.count(MCI_PLAY)) << s.position;
    EXPECT_EQ(s.position, scene_state.media_position);
  }
}

TEST_F(SaverEventProc, EraseBackgroundFollowsTheClientSize) {
  SetWindowPos(window, nullptr, 0, 0, 300, 150, SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW);
  EXPECT_EQ(1, SendMessageA(window, WM_ERASEBKGND, 0, 0));
  EXPECT_EQ((std::vector<GLint>{0, 0, 300, 150}), viewport());
  EXPECT_EQ(300, scene_state.window_width);
  EXPECT_EQ(150, scene_state.window_height);
  // 90 degrees: the y scale is 1, the x scale 1 / aspect.
  EXPECT_NEAR(1.0f, projection(5), 1e-5);
  EXPECT_NEAR(0.5f, projection(0), 1e-5);
}

TEST_F(SaverEventProc, ACollapsedWindowKeepsTheLastProjection) {
  SendMessageA(window, WM_ERASEBKGND, 0, 0);
  GLfloat x_scale = projection(0);
  SetWindowPos(window, nullptr, 0, 0, 300, 0, SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW);
  EXPECT_EQ(1, SendMessageA(window, WM_ERASEBKGND, 0, 0));
  EXPECT_EQ(0, scene_state.client_height);
  EXPECT_EQ(x_scale, projection(0));
  EXPECT_EQ((std::vector<GLint>{0, 0, 400, 200}), viewport());
  EXPECT_EQ(400, scene_state.window_width);
}

TEST_F(SaverEventProc, CreatingAWindowWithoutHeightDividesByNothing) {
  HWND flat = make_scene_window(300, 0);
  ASSERT_TRUE(flat);
  EXPECT_EQ(0, scene_state.client_height);
  for (int i : {0, 5, 10, 15}) EXPECT_EQ(1.0f, projection(i)) << i;
  DestroyWindow(flat);
  drain(nullptr);
}

TEST_F(SaverEventProc, DestructionKillsTimerMediaAndContextThenQuits) {
  use_media_stand_in(window);
  drain(window);
  DestroyWindow(window);
  EXPECT_EQ((std::vector<UINT>{MCI_CLOSE, WM_CLOSE}), media.requests);
  EXPECT_EQ(nullptr, wglGetCurrentContext());
  MSG quit;
  EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_FALSE(PeekMessageA(&quit, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
}
