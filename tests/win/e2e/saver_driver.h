// Drives Orvane.scr from outside, as the display settings and a user would:
// starts it, looks at its windows and the screen, sends input, reads its
// exit code. Every wait is bounded and keeps this thread's messages moving,
// since a preview child in the saver talks to its parent here.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// The folder this driver runs from, with a trailing backslash.
std::string driver_folder();

class saver_process {
 public:
  // Starts "<program>"<tail> in the temporary folder, standard output to
  // nowhere and standard error to a file.
  saver_process(const std::string& program, const std::string& tail);
  ~saver_process();
  saver_process(const saver_process&) = delete;
  saver_process& operator=(const saver_process&) = delete;

  bool started() const { return process_ != nullptr; }
  // The exit code, or STILL_ACTIVE when it is still running after ms.
  DWORD wait_exit(DWORD ms);
  bool running() { return wait_exit(0) == STILL_ACTIVE; }
  std::string standard_error();

 private:
  HANDLE process_ = nullptr;
  std::string error_file_;
};

// Lets ms pass while dispatching this thread's messages.
void pump(DWORD ms);
// Waits up to ms, pumping, until ready() holds; returns whether it did.
template <typename F>
bool wait_until(DWORD ms, F ready) {
  DWORD start = GetTickCount();
  for (;;) {
    if (ready()) return true;
    if (GetTickCount() - start >= ms) return false;
    pump(10);
  }
}

// Top-level windows of the saver class titled "Screen Saver".
std::vector<HWND> saver_windows();

// The screen's pixels inside rect, as 0x00RRGGBB.
std::vector<uint32_t> capture(const RECT& rect);
// Pixels that are not black.
int lit_pixels(const std::vector<uint32_t>& pixels);
// Pixels that differ between two captures of the same rectangle.
int changed_pixels(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b);
RECT virtual_screen();

void press_key(WORD key);
void click();

// Registry values under HKEY_CURRENT_USER, restored on destruction.
class registry_override {
 public:
  registry_override(const std::string& key, const std::string& name, DWORD number);
  registry_override(const std::string& key, const std::string& name, const std::string& text);
  ~registry_override();
  registry_override(const registry_override&) = delete;
  registry_override& operator=(const registry_override&) = delete;

 private:
  void remember();
  std::string key_, name_;
  bool had_value_ = false;
  DWORD type_ = 0;
  std::vector<BYTE> old_;
};

DWORD read_registry_number(const std::string& key, const std::string& name, DWORD fallback);
std::string read_registry_text(const std::string& key, const std::string& name);
void delete_registry_key(const std::string& key);

// Renames a file for the life of the object.
class file_hidden {
 public:
  explicit file_hidden(const std::string& path);
  ~file_hidden();
  bool hidden() const { return hidden_; }

 private:
  std::string path_;
  bool hidden_;
};
