// The few Win32 names that the host's command-line code and its headers use,
// so that they build natively for fuzzing. Types follow the platform's sizes
// on 64-bit Windows; the calls are defined by the fuzz target that links them.
#pragma once

#include <cstddef>
#include <cstdint>

#define WINAPI
#define CALLBACK

using BOOL = int;
using BYTE = unsigned char;
using WORD = unsigned short;
using DWORD = uint32_t;
using LONG = int32_t;
using UINT = unsigned int;
using LPSTR = char*;
using LPCSTR = const char*;
using INT_PTR = intptr_t;
using UINT_PTR = uintptr_t;
using LONG_PTR = intptr_t;
using WPARAM = UINT_PTR;
using LPARAM = LONG_PTR;
using LRESULT = LONG_PTR;
using LPVOID = void*;

struct HWND__;
struct HINSTANCE__;
struct HDC__;
struct HGLRC__;
using HWND = HWND__*;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;
using HDC = HDC__*;
using HGLRC = HGLRC__*;

struct POINT {
  LONG x;
  LONG y;
};

struct EXCEPTION_POINTERS {
  void* ExceptionRecord;
  void* ContextRecord;
};
using LPTOP_LEVEL_EXCEPTION_FILTER = LONG(WINAPI*)(EXCEPTION_POINTERS*);
constexpr LONG EXCEPTION_EXECUTE_HANDLER = 1;
constexpr LONG EXCEPTION_CONTINUE_SEARCH = 0;
constexpr LONG EXCEPTION_CONTINUE_EXECUTION = -1;

struct STARTUPINFOA {
  DWORD cb;
  LPSTR lpReserved;
  LPSTR lpDesktop;
  LPSTR lpTitle;
  DWORD dwX, dwY, dwXSize, dwYSize, dwXCountChars, dwYCountChars, dwFillAttribute;
  DWORD dwFlags;
  WORD wShowWindow;
  WORD cbReserved2;
  BYTE* lpReserved2;
  void* hStdInput;
  void* hStdOutput;
  void* hStdError;
};
constexpr DWORD STARTF_USESHOWWINDOW = 0x1;
constexpr int SW_SHOWDEFAULT = 10;

struct OSVERSIONINFOA {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  char szCSDVersion[128];
};
constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
constexpr DWORD VER_PLATFORM_WIN32_NT = 2;

constexpr UINT WM_APP = 0x8000;

LPSTR WINAPI CharNextA(LPCSTR p);
BOOL WINAPI IsWindow(HWND window);
HWND WINAPI GetForegroundWindow();
LPSTR WINAPI GetCommandLineA();
void WINAPI GetStartupInfoA(STARTUPINFOA* info);
HMODULE WINAPI GetModuleHandleA(LPCSTR name);
[[noreturn]] void WINAPI ExitProcess(UINT code);
BOOL WINAPI GetVersionExA(OSVERSIONINFOA* info);
LPTOP_LEVEL_EXCEPTION_FILTER WINAPI SetUnhandledExceptionFilter(LPTOP_LEVEL_EXCEPTION_FILTER f);
LONG WINAPI UnhandledExceptionFilter(EXCEPTION_POINTERS* exception);
