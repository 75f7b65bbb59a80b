#include "saver_driver.h"

#include <cstdio>
#include <cstring>

std::string driver_folder() {
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  return folder.substr(0, folder.find_last_of("\\/") + 1);
}

static std::string temp_folder() {
  char path[MAX_PATH];
  DWORD length = GetTempPathA(MAX_PATH, path);
  return std::string(path, length);
}

saver_process::saver_process(const std::string& program, const std::string& tail) {
  static int serial = 0;
  error_file_ = temp_folder() + "orvane-e2e-stderr-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(++serial) + ".txt";
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE error = CreateFileA(error_file_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                             CREATE_ALWAYS, 0, nullptr);
  HANDLE nothing =
      CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, 0, &inherit, OPEN_EXISTING, 0, nullptr);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nothing;
  startup.hStdOutput = nothing;
  startup.hStdError = error;
  std::string line = "\"" + program + "\"" + tail;
  PROCESS_INFORMATION info = {};
  std::string folder = temp_folder();
  if (CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(),
                     &startup, &info)) {
    process_ = info.hProcess;
    CloseHandle(info.hThread);
  }
  CloseHandle(error);
  CloseHandle(nothing);
}

saver_process::~saver_process() {
  if (process_) {
    if (wait_exit(0) == STILL_ACTIVE) {
      TerminateProcess(process_, 99);
      WaitForSingleObject(process_, 5000);
    }
    CloseHandle(process_);
  }
  DeleteFileA(error_file_.c_str());
}

DWORD saver_process::wait_exit(DWORD ms) {
  if (!process_) return STILL_ACTIVE;
  DWORD code = STILL_ACTIVE;
  wait_until(ms, [&] {
    return WaitForSingleObject(process_, 0) == WAIT_OBJECT_0 && GetExitCodeProcess(process_, &code);
  });
  return code;
}

std::string saver_process::standard_error() {
  std::string text;
  if (FILE* file = std::fopen(error_file_.c_str(), "rb")) {
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
    std::fclose(file);
  }
  return text;
}

void pump(DWORD ms) {
  DWORD start = GetTickCount();
  for (;;) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    DWORD spent = GetTickCount() - start;
    if (spent >= ms) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - spent, QS_ALLINPUT);
  }
}

static BOOL CALLBACK collect_saver_window(HWND window, LPARAM list) {
  char name[64] = {}, title[64] = {};
  GetClassNameA(window, name, sizeof name);
  GetWindowTextA(window, title, sizeof title);
  if (!strcmp(name, "WindowsScreenSaverClass") && !strcmp(title, "Screen Saver"))
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

std::vector<HWND> saver_windows() {
  std::vector<HWND> found;
  EnumWindows(collect_saver_window, reinterpret_cast<LPARAM>(&found));
  return found;
}

RECT virtual_screen() {
  int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  return {left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN),
          top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

std::vector<uint32_t> capture(const RECT& rect) {
  int width = rect.right - rect.left, height = rect.bottom - rect.top;
  std::vector<uint32_t> pixels;
  if (width <= 0 || height <= 0) return pixels;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  if (BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY)) {
    const uint32_t* p = static_cast<const uint32_t*>(bits);
    pixels.reserve(static_cast<size_t>(width) * height);
    for (int i = 0; i < width * height; ++i) pixels.push_back(p[i] & 0xFFFFFF);
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return pixels;
}

int lit_pixels(const std::vector<uint32_t>& pixels) {
  int lit = 0;
  for (uint32_t p : pixels) lit += p != 0;
  return lit;
}

int changed_pixels(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
  if (a.size() != b.size()) return -1;
  int changed = 0;
  for (size_t i = 0; i < a.size(); ++i) changed += a[i] != b[i];
  return changed;
}

void press_key(WORD key) {
  INPUT input[2] = {};
  input[0].type = input[1].type = INPUT_KEYBOARD;
  input[0].ki.wVk = input[1].ki.wVk = key;
  input[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, input, sizeof(INPUT));
}

void click() {
  INPUT input[2] = {};
  input[0].type = input[1].type = INPUT_MOUSE;
  input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, input, sizeof(INPUT));
}

registry_override::registry_override(const std::string& key, const std::string& name, DWORD number)
    : key_(key), name_(name) {
  remember();
  RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), name.c_str(), REG_DWORD, &number, sizeof number);
}

registry_override::registry_override(const std::string& key, const std::string& name,
                                     const std::string& text)
    : key_(key), name_(name) {
  remember();
  RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), name.c_str(), REG_SZ, text.c_str(),
                  static_cast<DWORD>(text.size() + 1));
}

void registry_override::remember() {
  DWORD size = 0;
  if (RegGetValueA(HKEY_CURRENT_USER, key_.c_str(), name_.c_str(), RRF_RT_ANY | RRF_NOEXPAND,
                   &type_, nullptr, &size) == ERROR_SUCCESS) {
    old_.resize(size);
    had_value_ =
        RegGetValueA(HKEY_CURRENT_USER, key_.c_str(), name_.c_str(), RRF_RT_ANY | RRF_NOEXPAND,
                     &type_, old_.data(), &size) == ERROR_SUCCESS;
  }
}

registry_override::~registry_override() {
  if (had_value_)
    RegSetKeyValueA(HKEY_CURRENT_USER, key_.c_str(), name_.c_str(), type_, old_.data(),
                    static_cast<DWORD>(old_.size()));
  else
    RegDeleteKeyValueA(HKEY_CURRENT_USER, key_.c_str(), name_.c_str());
}

DWORD read_registry_number(const std::string& key, const std::string& name, DWORD fallback) {
  DWORD value = 0, size = sizeof value;
  if (RegGetValueA(HKEY_CURRENT_USER, key.c_str(), name.c_str(), RRF_RT_REG_DWORD, nullptr, &value,
                   &size) != ERROR_SUCCESS)
    return fallback;
  return value;
}

std::string read_registry_text(const std::string& key, const std::string& name) {
  char text[256] = {};
  DWORD size = sizeof text;
  if (RegGetValueA(HKEY_CURRENT_USER, key.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, text,
                   &size) != ERROR_SUCCESS)
    return "";
  return text;
}

void delete_registry_key(const std::string& key) { RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str()); }

file_hidden::file_hidden(const std::string& path) : path_(path) {
  hidden_ = MoveFileExA(path.c_str(), (path + ".hidden").c_str(), MOVEFILE_REPLACE_EXISTING);
}

file_hidden::~file_hidden() {
  if (hidden_) MoveFileExA((path_ + ".hidden").c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING);
}
