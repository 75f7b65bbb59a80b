#include <cstdlib>

#include "host_state.h"
#include "saver_host.h"

static int saver_running_marked = 0;

static void clear_mark_at_exit() {
  if (saver_running_marked) set_saver_running(0);
}

void set_saver_running(int flag) {
  if (!legacy_platform) return;
  UINT previous = 0;
  SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, static_cast<UINT>(flag), &previous, 0);
  saver_running_marked = flag;
  // A picture that fails to load ends the process through exit(), past the
  // verifier's release; left set, the mark would keep Ctrl+Alt+Del and task
  // switching off after the saver is gone.
  static bool exit_hook = false;
  if (flag && !exit_hook) exit_hook = std::atexit(clear_mark_at_exit) == 0;
}

void load_password_verifier() {
  if (!legacy_platform) return;
  if (verifier_module) unload_password_verifier();

  HKEY desktop = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_QUERY_VALUE, &desktop) !=
      ERROR_SUCCESS)
    return;

  DWORD use_password = 0;
  DWORD size = sizeof use_password;
  if (RegQueryValueExA(desktop, "ScreenSaveUsePassword", nullptr, nullptr,
                       reinterpret_cast<BYTE*>(&use_password), &size) == ERROR_SUCCESS &&
      use_password) {
    verifier_module = LoadLibraryA("PASSWORD.CPL");
    if (verifier_module) {
      verify_password = reinterpret_cast<verify_password_fn>(
          reinterpret_cast<void*>(GetProcAddress(verifier_module, "VerifyScreenSavePwd")));
      if (verify_password)
        set_saver_running(1);
      else
        unload_password_verifier();
    }
  }
  RegCloseKey(desktop);
}

void unload_password_verifier() {
  if (!legacy_platform || !verifier_module) return;
  FreeLibrary(verifier_module);
  verifier_module = nullptr;
  if (verify_password) {
    verify_password = nullptr;
    set_saver_running(0);
  }
}
