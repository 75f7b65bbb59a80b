// Reading the command line: the program name, the switch, the handles.
// Kept apart from the rest of the host so that it can be built against a
// stand-in for the few platform calls it makes.
#pragma once

#include <windows.h>

#include <cstdint>

// The command tail: the line after the program name and the blanks after it.
const char* skip_program_name(const char* line);

// The decimal number at the start of text; 0 when text does not start with a
// digit or the number does not fit 32 bits.
uint32_t parse_decimal(const char* text);

// A window handle as the display settings spell it on the command line.
HWND handle_from_decimal(uint32_t number);

// Walks the tail by the switch table and runs the chosen mode; returns the
// exit code.
int choose_mode(const char* tail);
