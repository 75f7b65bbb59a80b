#include "host_state.h"
#include "saver_host.h"

constexpr UINT help_timeout_ms = 500;

static void detach_input_method(HWND window) {
  // Only an input method that is already in the process is detached; the
  // saver never loads one itself.
  imm_module = GetModuleHandleA("IMM32.DLL");
  if (!imm_module) return;
  imm_associate_context = reinterpret_cast<imm_associate_context_fn>(
      reinterpret_cast<void*>(GetProcAddress(imm_module, "ImmAssociateContext")));
  if (imm_associate_context) saved_input_context = imm_associate_context(window, nullptr);
}

static void hide_cursor_outside_preview() {
  if (!is_preview) SetCursor(nullptr);
}

static bool is_input(UINT message) {
  switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      return true;
    default:
      return false;
  }
}

LRESULT CALLBACK saver_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      detach_input_method(window);
      GetCursorPos(&saved_cursor);
      hide_cursor_outside_preview();
      break;

    case WM_DESTROY:
      if (imm_module && imm_associate_context && saved_input_context)
        imm_associate_context(window, saved_input_context);
      PostQuitMessage(0);
      break;

    case WM_SETTEXT:
      return 0;

    case WM_PAINT:
      if (close_allowed) return DefWindowProcA(window, message, wparam, lparam);
      hide_cursor_outside_preview();
      break;

    case WM_HELP:
    case WM_CONTEXTMENU:
      if (is_preview) {
        HWND parent = GetParent(window);
        if (parent && IsWindow(parent)) {
          WPARAM from = reinterpret_cast<WPARAM>(parent);
          // WM_HELP carries a pointer in lParam and so cannot be posted; it
          // is sent, but a hung settings dialog must not stall the preview.
          if (message == WM_HELP)
            SendMessageTimeoutA(parent, message, from, lparam, SMTO_ABORTIFHUNG, help_timeout_ms,
                                nullptr);
          else
            PostMessageA(parent, message, from, lparam);
        }
        return 1;
      }
      break;

    case WM_SYSCOMMAND:
      if (is_preview) break;
      switch (wparam) {
        case SC_NEXTWINDOW:
        case SC_PREVWINDOW:
        case SC_SCREENSAVE:
          return 0;
        case SC_MONITORPOWER:
          PostMessageA(window, WM_CLOSE, 0, 0);
          break;
      }
      break;

    case WM_TIMER:
      if (close_allowed) return 0;
      Sleep(0);
      break;

    default:
      if (is_input(message) && close_allowed)
        return DefWindowProcA(window, message, wparam, lparam);
      break;
  }
  return saver_event_proc(window, message, wparam, lparam);
}
