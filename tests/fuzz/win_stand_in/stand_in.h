// What the native stand-in for the host's platform calls and modes records,
// and how a fuzz target sets it up.
#pragma once

#include <windows.h>

#include <cstdint>

namespace stand_in {

enum class mode { none, saver, config, password };

// Bit 0: the 95/98/Me family. Bits 1..3: handles n with n % 8 below this
// count are live windows (besides the foreground window).
extern uint8_t platform_bits;
extern HWND foreground;

// The modes the switch walk called, and with which window.
extern int mode_calls;
extern mode last_mode;
extern HWND mode_window;

bool live(HWND window);
void reset(uint8_t bits);

}  // namespace stand_in
