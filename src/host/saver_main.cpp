// clang-format off
#include <windows.h>
#include <commctrl.h>  // needs the types of windows.h first
// clang-format on

#include "command_line.h"
#include "host_state.h"
#include "saver_host.h"

[[noreturn]] void saver_entry() {
  const char* tail = skip_program_name(GetCommandLineA());

  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  int show_state = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;

  // Straight out: no exit handlers, no static destructors, no stream flush.
  ExitProcess(static_cast<UINT>(
      saver_main(GetModuleHandleA(nullptr), nullptr, const_cast<LPSTR>(tail), show_state)));
}

int saver_main(HINSTANCE instance_handle, HINSTANCE, LPSTR command_tail, int) {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TAB_CLASSES};
  InitCommonControlsEx(&controls);

  instance = instance_handle;

  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;
  legacy_platform =
      GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS ? 1 : 0;

  return run_guarded(choose_mode, command_tail);
}
