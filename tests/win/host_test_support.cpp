#include "host_test_support.h"

#include <string>

#include "host_state.h"
#include "saver_host.h"

void reset_host_state() {
  instance = GetModuleHandleA(nullptr);
  saver_window = nullptr;
  is_preview = 0;
  legacy_platform = 0;
  verifier_module = nullptr;
  verify_password = nullptr;
  autoplay_message = 0;
  close_allowed = 0;
  verifying = 0;
  saved_cursor = {0, 0};
  ac_line_status = 255;
  last_verify_tick = never_verified;
  imm_module = nullptr;
  imm_associate_context = nullptr;
  saved_input_context = nullptr;
}

HWND make_window(WNDPROC proc, DWORD style, HWND parent, int width, int height,
                 const char* class_name) {
  static int serial = 0;
  std::string name = class_name ? class_name : "HostTestWindow" + std::to_string(++serial);
  WNDCLASSA window_class = {};
  window_class.style = CS_OWNDC;
  window_class.lpfnWndProc = proc;
  window_class.hInstance = GetModuleHandleA(nullptr);
  window_class.lpszClassName = name.c_str();
  RegisterClassA(&window_class);  // a second registration of a fixed name fails harmlessly
  return CreateWindowExA(0, name.c_str(), "host test", style, 0, 0, width, height, parent, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

bool take_posted(HWND window, UINT message) {
  MSG msg;
  return PeekMessageA(&msg, window, message, message, PM_REMOVE | PM_NOYIELD) != 0;
}

int count_posted(HWND window, UINT message) {
  int count = 0;
  while (take_posted(window, message)) ++count;
  return count;
}

void drain(HWND window) {
  // Paint requests stay until painted and a 1 ms timer is due again almost at
  // once, so only posted messages are taken, and not forever.
  MSG msg;
  for (int i = 0; i < 1000 && PeekMessageA(&msg, window, 0, 0, PM_REMOVE | PM_QS_POSTMESSAGE);
       ++i) {
  }
}

void register_saver_class() {
  WNDCLASSA saver_class = {};
  saver_class.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
  saver_class.lpfnWndProc = saver_window_proc;
  saver_class.hInstance = GetModuleHandleA(nullptr);
  saver_class.lpszClassName = saver_class_name;
  RegisterClassA(&saver_class);
}
