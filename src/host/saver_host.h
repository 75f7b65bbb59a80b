// The saver host: start-up, mode choice, the saver window and its message
// handling, the password gate.
#pragma once

#include <windows.h>

#include <cstdint>

constexpr const char saver_class_name[] = "WindowsScreenSaverClass";
constexpr const char saver_title[] = "Screen Saver";
constexpr const char preview_title[] = "Preview";
constexpr UINT password_request = WM_APP;

// Start-up and modes.
[[noreturn]] void saver_entry();
int saver_main(HINSTANCE instance_handle, HINSTANCE previous, LPSTR command_tail, int show_state);
int run_saver_window(HWND parent);
// Dispatches the thread's messages (window's only, unless null) until the quit
// message and returns its code; -1 when the queue cannot be read.
int run_message_loop(HWND window);
int run_config_dialog(HWND parent);
BOOL register_config_classes(HINSTANCE instance_handle);
INT_PTR CALLBACK config_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
void change_password(HWND window);

// Runs body(tail) under the last-chance exception guard: a fault that the
// platform's unhandled-exception filter agrees to handle makes it return -1.
int run_guarded(int (*body)(const char*), const char* tail);
LONG saver_exception_filter(EXCEPTION_POINTERS* exception);

// Password verifier of the 95/98/Me family.
void load_password_verifier();
void unload_password_verifier();
void set_saver_running(int flag);

// The saver window's message chain: host first, then the scene, then the
// default saver behaviour.
LRESULT CALLBACK saver_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT CALLBACK saver_event_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT default_saver_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
int verify_before_close(HWND window);

void gl_context_create(HWND window, HDC& device_context, HGLRC& render_context);
void gl_context_destroy(HWND window, HDC device_context, HGLRC render_context);
