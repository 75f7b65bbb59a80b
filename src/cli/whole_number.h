// Whole numbers as users type them on a command line, one rule for every
// program: digits only, no sign, no space, nothing after them.
#pragma once

namespace cli {

// A whole number from 0 to `high`. Base 10 takes decimal only; base 16 hex
// digits after an optional 0x or 0X; base 0 either, and a leading 0 as octal.
bool parse_whole(const char* text, int base, unsigned long long high, unsigned long long* out);

// A star-field seed: any unsigned 32-bit number. Both programs take it and
// say the same when it does not fit.
bool parse_seed(const char* text, unsigned* out);
inline constexpr const char* seed_needs = "a whole number from 0 to 4294967295";

}  // namespace cli
