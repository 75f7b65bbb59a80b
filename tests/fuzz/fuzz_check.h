// A property of the code under test that must hold for every input. The
// message goes the way of the sanitizers' reports, so that it still shows
// when libFuzzer closes the program's own standard streams (-close_fd_mask).
#pragma once

#include <sanitizer/common_interface_defs.h>

#include <cstdlib>
#include <string>

inline void check(bool ok, const char* what) {
  if (ok) return;
  __sanitizer_report_error_summary(("orvane fuzz: " + std::string(what)).c_str());
  abort();
}
