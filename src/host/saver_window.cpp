#include "host_state.h"
#include "saver_host.h"

constexpr UINT saver_class_style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
constexpr DWORD saver_style = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
constexpr DWORD preview_style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
// Our icon group is 113; the class asks for 100 and so goes without one.
constexpr int class_icon = 100;

static RECT screen_rect() {
  RECT rect;
  rect.left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  rect.top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  if (width == 0 || height == 0) {
    // No virtual-screen metrics (older systems): the screen's clip box.
    HDC screen = GetDC(nullptr);
    GetClipBox(screen, &rect);
    ReleaseDC(nullptr, screen);
    return rect;
  }
  rect.right = rect.left + width;
  rect.bottom = rect.top + height;
  return rect;
}

int run_message_loop(HWND window) {
  MSG message = {};
  for (;;) {
    BOOL got = GetMessageA(&message, window, 0, 0);
    if (got == 0) return static_cast<int>(message.wParam);
    // The queue cannot be read: whatever the last message carried is no code.
    if (got == -1) return -1;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

int run_saver_window(HWND parent) {
  WNDCLASSA saver_class = {};
  saver_class.style = saver_class_style;
  saver_class.lpfnWndProc = saver_window_proc;
  saver_class.hInstance = instance;
  saver_class.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(class_icon));
  saver_class.hCursor = nullptr;
  saver_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  saver_class.lpszClassName = saver_class_name;

  DWORD ex_style, style;
  const char* title;
  RECT place;
  if (parent) {
    RECT client;
    GetClientRect(parent, &client);
    place = {0, 0, client.right, client.bottom};
    ex_style = 0;
    style = preview_style;
    title = preview_title;
    is_preview = 1;
  } else {
    place = screen_rect();
    ex_style = WS_EX_TOPMOST;
    style = saver_style;
    title = saver_title;

    HWND running = FindWindowA(saver_class_name, saver_title);
    if (running && IsWindow(running)) {
      SetForegroundWindow(running);
      return 0;
    }
    SYSTEM_POWER_STATUS power;
    ac_line_status = GetSystemPowerStatus(&power) ? power.ACLineStatus : 255;
    load_password_verifier();
  }

  autoplay_message = legacy_platform ? RegisterWindowMessageA("QueryCancelAutoPlay") : 0;

  int exit_code = 0;
  if (RegisterClassA(&saver_class)) {
    saver_window = CreateWindowExA(ex_style, saver_class_name, title, style, place.left, place.top,
                                   place.right - place.left, place.bottom - place.top, parent,
                                   nullptr, instance, nullptr);
    if (saver_window) {
      if (!parent) SetForegroundWindow(saver_window);
      exit_code = run_message_loop(nullptr);
    }
  }
  unload_password_verifier();
  return exit_code;
}
