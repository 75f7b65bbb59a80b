// The saver window's own procedure, on saver windows with the whole message
// chain behind it (the scene draws real frames).
#include <vector>

// clang-format off
#include <windows.h>
#include <imm.h>  // needs the types of windows.h first
// clang-format on

#include "host_state.h"
#include "host_test_support.h"
#include "main.h"
#include "saver_host.h"

namespace {

struct {
  WPARAM wparam;
  LONG mouse_y;
} help_seen;

LRESULT CALLBACK parent_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_HELP) {
    help_seen.wparam = wparam;
    help_seen.mouse_y = reinterpret_cast<HELPINFO*>(lparam)->MousePos.y;
    return TRUE;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

HWND make_saver_window(DWORD style, HWND parent) {
  register_saver_class();
  return CreateWindowExA(0, saver_class_name, parent ? preview_title : saver_title, style, 0, 0,
                         160, 120, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
}

// One full-screen-mode window (kept hidden, so activation plays no part) and
// one preview inside a parent of our own.
class SaverWindowProc : public HostTest {
 protected:
  static void SetUpTestSuite() {
    reset_host_state();
    SetCursorPos(77, 66);
    saver = make_saver_window(WS_POPUP, nullptr);
    cursor_at_creation = saved_cursor;
    parent = make_window(parent_proc, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    is_preview = 1;
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    preview = make_saver_window(WS_CHILD | WS_VISIBLE, parent);
    cursor_after_preview = GetCursor();
    drain(nullptr);
  }
  static void TearDownTestSuite() {
    DestroyWindow(parent);
    DestroyWindow(saver);
    drain(nullptr);
  }
  void SetUp() override {
    HostTest::SetUp();
    drain(nullptr);
  }
  void TearDown() override {
    drain(nullptr);
    HostTest::TearDown();
  }
  static LRESULT send(HWND window, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
    return SendMessageA(window, message, wparam, lparam);
  }
  static HWND saver, parent, preview;
  static POINT cursor_at_creation;
  static HCURSOR cursor_after_preview;
};

HWND SaverWindowProc::saver, SaverWindowProc::parent, SaverWindowProc::preview;
POINT SaverWindowProc::cursor_at_creation;
HCURSOR SaverWindowProc::cursor_after_preview;

struct {
  HWND window;
  HIMC context;
  int calls;
} restored;

HIMC WINAPI record_restore(HWND window, HIMC context) {
  restored = {window, context, restored.calls + 1};
  return ImmAssociateContext(window, context);
}

}  // namespace

TEST_F(SaverWindowProc, CreationRecordsThePointer) {
  ASSERT_TRUE(saver);
  ASSERT_TRUE(preview);
  EXPECT_EQ(77, cursor_at_creation.x);
  EXPECT_EQ(66, cursor_at_creation.y);
}

TEST_F(SaverWindowProc, PaintHidesTheCursorOutsideThePreview) {
  HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
  EXPECT_EQ(arrow, cursor_after_preview);  // creating the preview left it alone
  SetCursor(arrow);
  is_preview = 1;
  send(preview, WM_PAINT);
  EXPECT_EQ(arrow, GetCursor());
  is_preview = 0;
  send(saver, WM_PAINT);
  EXPECT_EQ(nullptr, GetCursor());
}

TEST_F(SaverWindowProc, TheTitleNeverChanges) {
  EXPECT_EQ(0, send(saver, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("other")));
  char title[64] = {};
  GetWindowTextA(saver, title, sizeof title);
  EXPECT_STREQ(saver_title, title);
}

TEST_F(SaverWindowProc, TimerDrawsAFrameUntilClosingIsAllowed) {
  int frames = scene_state.frame_count;
  send(saver, WM_TIMER, 0x7FFF);
  EXPECT_EQ(frames + 1, scene_state.frame_count);

  close_allowed = 1;
  EXPECT_EQ(0, send(saver, WM_TIMER, 0x7FFF));
  EXPECT_EQ(frames + 1, scene_state.frame_count);
}

TEST_F(SaverWindowProc, InputReachesTheDefaultRulesUntilClosingIsAllowed) {
  for (UINT message : {WM_KEYDOWN, WM_SYSKEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN}) {
    send(saver, message, 'X');
    EXPECT_EQ(1, count_posted(saver, WM_CLOSE)) << message;
  }
  close_allowed = 1;
  for (UINT message : {WM_KEYDOWN, WM_SYSKEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN})
    send(saver, message, 'X');
  SetCursorPos(500, 500);
  send(saver, WM_MOUSEMOVE);
  EXPECT_EQ(0, count_posted(saver, WM_CLOSE));
}

TEST_F(SaverWindowProc, SystemCommandsThatSwitchAwayAreRefused) {
  for (WPARAM command : {SC_NEXTWINDOW, SC_PREVWINDOW, SC_SCREENSAVE})
    EXPECT_EQ(0, send(saver, WM_SYSCOMMAND, command)) << command;
  send(saver, WM_SYSCOMMAND, SC_MONITORPOWER, 2);
  EXPECT_EQ(1, count_posted(saver, WM_CLOSE));
  // Compared whole: low bits make it another command.
  send(saver, WM_SYSCOMMAND, SC_MONITORPOWER | 1, 2);
  EXPECT_EQ(0, count_posted(saver, WM_CLOSE));
}

TEST_F(SaverWindowProc, PreviewDrawsFramesIntoItsParent) {
  is_preview = 1;
  RECT client;
  GetClientRect(preview, &client);
  send(preview, WM_ERASEBKGND);  // the perspective every frame is drawn under
  for (int i = 0; i < 3; ++i) send(preview, WM_TIMER, 0x7FFF);
  std::vector<unsigned char> pixels(static_cast<size_t>(client.right) * client.bottom * 4);
  // Wine keeps a child window's frames off screen; the back buffer still
  // holds the last frame after the swap.
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, client.right, client.bottom, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  size_t lit = 0;
  for (size_t i = 0; i < pixels.size(); i += 4) lit += pixels[i] | pixels[i + 1] | pixels[i + 2];
  EXPECT_GT(lit, 0u);
}

TEST_F(SaverWindowProc, PreviewPassesSystemCommandsOnAndPostsNoClose) {
  is_preview = 1;
  send(preview, WM_SYSCOMMAND, SC_MONITORPOWER, 2);
  send(preview, WM_KEYDOWN, 'X');
  EXPECT_EQ(0, count_posted(preview, WM_CLOSE));
}

TEST_F(SaverWindowProc, PreviewHandsHelpRequestsToItsParent) {
  is_preview = 1;
  EXPECT_EQ(1, send(preview, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(preview), MAKELPARAM(3, 4)));
  MSG forwarded;
  ASSERT_TRUE(PeekMessageA(&forwarded, parent, WM_CONTEXTMENU, WM_CONTEXTMENU, PM_REMOVE));
  EXPECT_EQ(reinterpret_cast<WPARAM>(parent), forwarded.wParam);
  EXPECT_EQ(MAKELPARAM(3, 4), forwarded.lParam);

  // Help carries a pointer and so is sent rather than posted.
  HELPINFO help = {};
  help.cbSize = sizeof help;
  help.iContextType = HELPINFO_WINDOW;
  help.MousePos = {12, 34};
  help_seen = {};
  EXPECT_EQ(1, send(preview, WM_HELP, 0, reinterpret_cast<LPARAM>(&help)));
  EXPECT_EQ(reinterpret_cast<WPARAM>(parent), help_seen.wparam);
  EXPECT_EQ(34, help_seen.mouse_y);
}

TEST_F(SaverWindowProc, CreationDetachesTheInputMethodAndHidesTheCursorDestructionRestores) {
  void* device_context = scene_state.device_context;
  void* render_context = scene_state.render_context;
  void* media_window = scene_state.media_window;
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  HWND extra = make_saver_window(WS_POPUP, nullptr);
  ASSERT_TRUE(extra);
  EXPECT_EQ(nullptr, GetCursor());
  ASSERT_TRUE(GetModuleHandleA("IMM32.DLL")) << "no input method library to detach";
  EXPECT_TRUE(saved_input_context);
  EXPECT_EQ(nullptr, ImmGetContext(extra));
  drain(nullptr);

  ASSERT_TRUE(imm_associate_context);
  imm_associate_context = record_restore;
  restored = {};
  DestroyWindow(extra);
  EXPECT_EQ(1, restored.calls);
  EXPECT_EQ(extra, restored.window);
  EXPECT_EQ(saved_input_context, restored.context);
  MSG quit;
  ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(0u, quit.wParam);
  // The suite's windows get their context and media back for the tests after this one.
  scene_state.device_context = device_context;
  scene_state.render_context = render_context;
  scene_state.media_window = media_window;
  wglMakeCurrent(static_cast<HDC>(device_context), static_cast<HGLRC>(render_context));
}
