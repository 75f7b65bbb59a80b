#include "command_line.h"

#include "host_state.h"
#include "saver_host.h"

const char* skip_program_name(const char* line) {
  const char* p = line;
  if (*p == '"') {
    // A quoted name may hold blanks; an unterminated quote takes the whole line.
    p = CharNextA(p);
    while (*p && *p != '"') p = CharNextA(p);
    if (*p == '"') p = CharNextA(p);
  } else {
    while (static_cast<unsigned char>(*p) > ' ') p = CharNextA(p);
  }
  while (*p && static_cast<unsigned char>(*p) <= ' ') p = CharNextA(p);
  return p;
}

uint32_t parse_decimal(const char* text) {
  uint64_t value = 0;
  for (const signed char* p = reinterpret_cast<const signed char*>(text); *p >= '0' && *p <= '9';
       ++p) {
    value = value * 10 + static_cast<uint64_t>(*p - '0');
    // A number past 32 bits is no handle; wrapping it could name some other
    // window, so it counts as no number at all.
    if (value > 0xFFFFFFFFu) return 0;
  }
  return static_cast<uint32_t>(value);
}

HWND handle_from_decimal(uint32_t number) {
  // Window handles carry 32 significant bits and are sign-extended on 64-bit.
  return reinterpret_cast<HWND>(static_cast<intptr_t>(static_cast<int32_t>(number)));
}

static const char* skip_blanks(const char* p) {
  while (*p == ' ') ++p;
  return p;
}

int choose_mode(const char* tail) {
  const char* p = tail;
  while (*p == ' ' || *p == '-' || *p == '/') ++p;

  // Plain char compares as signed here on purpose: bytes of 0x80 and up are
  // never a switch.
  switch (static_cast<signed char>(*p)) {
    case 'S':
    case 's':
      return run_saver_window(nullptr);

    case 'P':
    case 'p':
    case 'L':
    case 'l': {
      HWND parent = handle_from_decimal(parse_decimal(skip_blanks(p + 1)));
      if (!parent || !IsWindow(parent)) return -1;
      return run_saver_window(parent);
    }

    case 'C':
    case 'c': {
      HWND parent = nullptr;
      if (p[1] == ':') parent = handle_from_decimal(parse_decimal(p + 2));
      if (!parent || !IsWindow(parent)) parent = GetForegroundWindow();
      return run_config_dialog(parent);
    }

    case 'A':
    case 'a': {
      if (!legacy_platform) return -1;
      HWND owner = handle_from_decimal(parse_decimal(skip_blanks(p + 1)));
      if (!owner || !IsWindow(owner)) owner = GetForegroundWindow();
      change_password(owner);
      return 0;
    }

    case '\0':
      return run_config_dialog(nullptr);

    default:
      return -1;
  }
}
