// The common-controls start-up call of saver_main; see windows.h beside this file.
#pragma once

#include <windows.h>

struct INITCOMMONCONTROLSEX {
  DWORD dwSize;
  DWORD dwICC;
};
constexpr DWORD ICC_TAB_CLASSES = 0x8;
BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX* controls);
