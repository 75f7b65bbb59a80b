#include <cstdlib>

#include "host_state.h"
#include "saver_host.h"

static void on_power_broadcast(HWND window, WPARAM event, LPARAM data) {
  switch (event) {
    case PBT_APMRESUMECRITICAL:
    case PBT_APMRESUMESUSPEND:
    case PBT_APMRESUMESTANDBY:
    case PBT_APMRESUMEAUTOMATIC:
      if (!(data & PBTF_APMRESUMEFROMFAILURE)) PostMessageA(window, WM_CLOSE, 0, 0);
      break;
    case PBT_APMPOWERSTATUSCHANGE: {
      SYSTEM_POWER_STATUS power;
      BYTE status = GetSystemPowerStatus(&power) ? power.ACLineStatus : 255;
      if (status != ac_line_status) PostMessageA(window, WM_CLOSE, 0, 0);
      ac_line_status = status;
      break;
    }
    default:
      // Suspend and standby queries, battery and OEM events, and anything
      // newer than we know of.
      PostMessageA(window, WM_CLOSE, 0, 0);
      break;
  }
}

static LRESULT finish(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (autoplay_message && message == autoplay_message) {
    PostMessageA(window, WM_CLOSE, 0, 0);
    // Nonzero cancels the autoplay: only a locked saver keeps the disc quiet.
    return verify_password ? 1 : 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

LRESULT default_saver_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (is_preview || close_allowed) return finish(window, message, wparam, lparam);

  if (message == WM_CLOSE && legacy_platform) {
    if (!verify_before_close(window)) {
      GetCursorPos(&saved_cursor);
      return 0;
    }
    return finish(window, message, wparam, lparam);
  }
  if (message == password_request && legacy_platform)
    return verify_password ? verify_password(window) : 1;

  if (verifying) return finish(window, message, wparam, lparam);

  switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      PostMessageA(window, WM_CLOSE, 0, 0);
      break;

    case WM_MOUSEMOVE: {
      // The pointer itself, not the message's coordinates.
      POINT now;
      // An unreadable pointer is no movement, not a jump from garbage.
      if (!GetCursorPos(&now)) break;
      int distance = std::abs(now.x - saved_cursor.x) + std::abs(now.y - saved_cursor.y);
      if (distance > mouse_move_threshold) {
        PostMessageA(window, WM_CLOSE, 0, 0);
        saved_cursor = now;
      }
      break;
    }

    case WM_SHOWWINDOW:
      if (wparam) SetCursor(nullptr);
      break;

    case WM_ACTIVATEAPP:
      if (!wparam) PostMessageA(window, WM_CLOSE, 0, 0);
      break;

    case WM_SETCURSOR:
      SetCursor(nullptr);
      return TRUE;

    case WM_POWER:
      if (wparam == PWR_CRITICALRESUME) PostMessageA(window, WM_CLOSE, 0, 0);
      break;

    case WM_POWERBROADCAST:
      on_power_broadcast(window, wparam, lparam);
      break;
  }
  return finish(window, message, wparam, lparam);
}

int verify_before_close(HWND window) {
  if (verifying || close_allowed) return 0;
  if (!verify_password) {
    close_allowed = 1;
    return 1;
  }

  DWORD now = GetTickCount();
  if (last_verify_tick != never_verified && now - last_verify_tick < verify_quiet_ms) return 0;

  verifying = 1;
  // Drop frames that piled up, so the dialog comes up without a backlog.
  MSG pending;
  PeekMessageA(&pending, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
  PeekMessageA(&pending, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
  close_allowed = SendMessageA(window, password_request, 0, 0) ? 1 : 0;
  verifying = 0;

  if (!close_allowed) SetCursor(nullptr);
  last_verify_tick = GetTickCount();
  return close_allowed;
}
