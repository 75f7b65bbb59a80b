// The saver's start on an arbitrary command line: the program name is
// skipped, saver_main chooses the mode by the switch walk, and the modes are
// stand-ins that only record how they were called. The first input byte sets
// the platform family and which handles count as windows.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "command_line.h"
#include "fuzz_check.h"
#include "host_state.h"
#include "saver_host.h"
#include "stand_in.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  stand_in::reset(data[0]);
  // The line exactly as long as the input, so that a read past its end is caught.
  char* line = static_cast<char*>(malloc(size));
  memcpy(line, data + 1, size - 1);
  line[size - 1] = '\0';

  const char* tail = skip_program_name(line);
  check(tail >= line && tail <= line + strlen(line), "the tail is outside the line");
  int code = saver_main(reinterpret_cast<HINSTANCE>(1), nullptr, const_cast<char*>(tail), 10);

  using stand_in::mode;
  const HWND window = stand_in::mode_window;
  check(legacy_platform == (stand_in::platform_bits & 1), "platform family");
  check(stand_in::mode_calls <= 1, "more than one mode ran");
  switch (stand_in::last_mode) {
    case mode::none:
      check(code == -1, "no mode ran, yet the exit code is not -1");
      break;
    case mode::saver:
      check(code == 0, "saver exit code");
      check(!window || stand_in::live(window), "a preview parent that is no window");
      break;
    case mode::config:
      check(code == -1, "configuration exit code");
      check(!window || stand_in::live(window), "a dialog owner that is no window");
      break;
    case mode::password:
      check(code == 0 && legacy_platform, "password change off the 95/98/Me family");
      check(stand_in::live(window), "a password owner that is no window");
      break;
  }
  free(line);
  return 0;
}
