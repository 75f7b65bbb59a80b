// parse_decimal and the handle made from its number, on arbitrary text.
// Besides the sanitizers' checks: the number is that of the leading ASCII
// digits, or 0 when they do not fit 32 bits, and survives the trip through
// a window handle.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "command_line.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  char* text = static_cast<char*>(malloc(size + 1));
  memcpy(text, data, size);
  text[size] = '\0';

  uint32_t number = parse_decimal(text);
  size_t digits = 0;
  while (text[digits] >= '0' && text[digits] <= '9') ++digits;
  size_t first = 0;  // leading zeros do not count towards the width
  while (first < digits && text[first] == '0') ++first;
  if (digits - first > 10) {
    check(number == 0, "a number wider than 32 bits");
  } else {
    uint64_t expected = 0;
    for (size_t i = first; i < digits; ++i) expected = expected * 10 + (text[i] - '0');
    check(number == (expected > 0xFFFFFFFFu ? 0 : expected), "wrong value");
  }
  HWND handle = handle_from_decimal(number);
  check(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(handle)) == number,
        "the handle does not carry the number");
  check((handle == nullptr) == (number == 0), "handle 0");
  free(text);
  return 0;
}
