#include "whole_number.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace cli {

bool parse_whole(const char* text, int base, unsigned long long high, unsigned long long* out) {
  // strtoull would skip spaces and take a sign, and wrap "-1" round to the
  // largest number: only a digit may start it.
  if (!text || !isdigit(static_cast<unsigned char>(*text))) return false;
  char* end = nullptr;
  errno = 0;
  const unsigned long long v = strtoull(text, &end, base);
  if (errno || *end || v > high) return false;
  *out = v;
  return true;
}

bool parse_seed(const char* text, unsigned* out) {
  unsigned long long v;
  if (!parse_whole(text, 10, UINT_MAX, &v)) return false;
  *out = static_cast<unsigned>(v);
  return true;
}

}  // namespace cli
