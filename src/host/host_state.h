// The host's process-wide variables. Start-up, the window procedures and the
// password gate share them; only the window's thread ever touches them.
#pragma once

// clang-format off
#include <windows.h>
#include <imm.h>  // needs the types of windows.h first
// clang-format on

using verify_password_fn = BOOL(WINAPI*)(HWND window);
using imm_associate_context_fn = HIMC(WINAPI*)(HWND window, HIMC input_context);

extern HINSTANCE instance;
extern HWND saver_window;
extern int is_preview;
extern int legacy_platform;
extern HMODULE verifier_module;
extern verify_password_fn verify_password;
extern UINT autoplay_message;
extern int close_allowed;
extern int verifying;
extern POINT saved_cursor;
extern BYTE ac_line_status;
extern DWORD last_verify_tick;
extern HMODULE imm_module;
extern imm_associate_context_fn imm_associate_context;
extern HIMC saved_input_context;

// A summed pointer movement above this many pixels ends the saver.
constexpr int mouse_move_threshold = 4;
// Closes asked for this soon after a verification ends are refused unasked.
constexpr DWORD verify_quiet_ms = 200;
// last_verify_tick before the first verification.
constexpr DWORD never_verified = 0xFFFFFFFF;
