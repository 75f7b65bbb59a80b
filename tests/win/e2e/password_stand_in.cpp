// Stands in for the platform's password verifier. It asks nobody: the driver
// scripts its answers in the registry value "Verdicts", one character per
// call: '1' accepts, '0' refuses, 'k' refuses and queues a key press for the
// saver, which then arrives at once after the refusal. It counts its calls
// in "Calls".
#include <windows.h>

#include <cstring>

#include "stand_in_registry.h"

extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND window) {
  HKEY key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, stand_in_key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return TRUE;
  char verdicts[64] = {};
  DWORD size = sizeof verdicts - 1;
  RegQueryValueExA(key, "Verdicts", nullptr, nullptr, reinterpret_cast<BYTE*>(verdicts), &size);
  DWORD calls = 0;
  size = sizeof calls;
  RegQueryValueExA(key, "Calls", nullptr, nullptr, reinterpret_cast<BYTE*>(&calls), &size);

  char verdict = calls < std::strlen(verdicts) ? verdicts[calls] : '1';
  ++calls;
  RegSetValueExA(key, "Calls", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&calls), sizeof calls);
  RegCloseKey(key);

  if (verdict == 'k') PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
  return verdict == '1';
}
