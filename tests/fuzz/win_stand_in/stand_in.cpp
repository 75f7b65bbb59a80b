// The platform calls of the host's command-line code, and its modes, as
// native stand-ins that only answer and record.
#include "stand_in.h"

#include <commctrl.h>

#include <cstdlib>

#include "saver_host.h"

namespace stand_in {

uint8_t platform_bits;
HWND foreground = reinterpret_cast<HWND>(static_cast<intptr_t>(0x10010));
int mode_calls;
mode last_mode;
HWND mode_window;

bool live(HWND window) {
  uintptr_t n = reinterpret_cast<uintptr_t>(window);
  return window == foreground || (n != 0 && (n % 8) < ((platform_bits >> 1) & 7u));
}

void reset(uint8_t bits) {
  platform_bits = bits;
  mode_calls = 0;
  last_mode = mode::none;
  mode_window = nullptr;
}

static void record(mode which, HWND window) {
  ++mode_calls;
  last_mode = which;
  mode_window = window;
}

}  // namespace stand_in

// Double-byte characters do not exist here: one byte, and never past the end.
LPSTR WINAPI CharNextA(LPCSTR p) { return const_cast<LPSTR>(*p ? p + 1 : p); }
BOOL WINAPI IsWindow(HWND window) { return stand_in::live(window); }
HWND WINAPI GetForegroundWindow() { return stand_in::foreground; }
BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX*) { return 1; }
BOOL WINAPI GetVersionExA(OSVERSIONINFOA* info) {
  if (info->dwOSVersionInfoSize != sizeof *info) return 0;
  info->dwPlatformId =
      (stand_in::platform_bits & 1) ? VER_PLATFORM_WIN32_WINDOWS : VER_PLATFORM_WIN32_NT;
  return 1;
}
LPTOP_LEVEL_EXCEPTION_FILTER WINAPI SetUnhandledExceptionFilter(LPTOP_LEVEL_EXCEPTION_FILTER f) {
  static LPTOP_LEVEL_EXCEPTION_FILTER current;
  LPTOP_LEVEL_EXCEPTION_FILTER previous = current;
  current = f;
  return previous;
}
LONG WINAPI UnhandledExceptionFilter(EXCEPTION_POINTERS*) { return EXCEPTION_CONTINUE_SEARCH; }
// saver_entry's own calls: it ends the process, so nothing here may call it.
LPSTR WINAPI GetCommandLineA() { abort(); }
void WINAPI GetStartupInfoA(STARTUPINFOA*) { abort(); }
HMODULE WINAPI GetModuleHandleA(LPCSTR) { abort(); }
void WINAPI ExitProcess(UINT) { abort(); }

int run_saver_window(HWND parent) {
  stand_in::record(stand_in::mode::saver, parent);
  return 0;
}
int run_config_dialog(HWND parent) {
  stand_in::record(stand_in::mode::config, parent);
  return -1;  // no dialog template, as on the real platform
}
void change_password(HWND window) { stand_in::record(stand_in::mode::password, window); }
void set_saver_running(int) {}
