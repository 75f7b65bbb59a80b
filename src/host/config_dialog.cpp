// Configuration and password change. The saver has no settings a user can
// change here (there is no dialog template), so configuration ends at once.
#include "host_state.h"
#include "saver_host.h"

constexpr int config_dialog_template = 2003;

BOOL register_config_classes(HINSTANCE) { return TRUE; }

INT_PTR CALLBACK config_dialog_proc(HWND, UINT, WPARAM, LPARAM) { return TRUE; }

int run_config_dialog(HWND parent) {
  if (!register_config_classes(instance)) return FALSE;
  return static_cast<int>(DialogBoxParamA(instance, MAKEINTRESOURCEA(config_dialog_template),
                                          parent, config_dialog_proc, 0));
}

using change_password_fn = DWORD(WINAPI*)(LPCSTR provider, HWND owner, DWORD, void*);

void change_password(HWND window) {
  HMODULE mpr = LoadLibraryA("MPR.DLL");
  if (!mpr) return;
  auto change = reinterpret_cast<change_password_fn>(
      reinterpret_cast<void*>(GetProcAddress(mpr, "PwdChangePasswordA")));
  if (change) change("SCRSAVE", window, 0, nullptr);
  FreeLibrary(mpr);
}
