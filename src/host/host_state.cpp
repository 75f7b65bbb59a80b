#include "host_state.h"

HINSTANCE instance = nullptr;
HWND saver_window = nullptr;
int is_preview = 0;
int legacy_platform = 0;
HMODULE verifier_module = nullptr;
verify_password_fn verify_password = nullptr;
UINT autoplay_message = 0;
int close_allowed = 0;
int verifying = 0;
POINT saved_cursor = {0, 0};
BYTE ac_line_status = 255;
DWORD last_verify_tick = never_verified;
HMODULE imm_module = nullptr;
imm_associate_context_fn imm_associate_context = nullptr;
HIMC saved_input_context = nullptr;
