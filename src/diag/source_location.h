// Every diagnostic line that names its place ends with the printing file's
// base name and line; this is the one place that works them out.
#pragma once

namespace diag {

// Base name of a path as the compiler spells __FILE__ ("src/main.cpp" -> "main.cpp").
constexpr const char* base_name(const char* path) {
  const char* base = path;
  for (const char* p = path; *p; ++p)
    if (*p == '/' || *p == '\\') base = p + 1;
  return base;
}

}  // namespace diag

// Expands to the two arguments of a trailing "%s, %d" pair.
#define DIAG_HERE ::diag::base_name(__FILE__), __LINE__
