// Stands in for the platform's password changer: it writes down the provider
// it was asked for in "PwdChange".
#include <windows.h>

#include <cstring>

#include "stand_in_registry.h"

extern "C" __declspec(dllexport) DWORD WINAPI
    PwdChangePasswordA(LPCSTR provider, HWND, DWORD, void*) {
  HKEY key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, stand_in_key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) == ERROR_SUCCESS) {
    RegSetValueExA(key, "PwdChange", 0, REG_SZ, reinterpret_cast<const BYTE*>(provider),
                   static_cast<DWORD>(std::strlen(provider) + 1));
    RegCloseKey(key);
  }
  return 0;
}
