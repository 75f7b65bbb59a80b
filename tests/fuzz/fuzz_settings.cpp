// The three settings readers on arbitrary file bytes and keys. Input: one
// byte that picks the reader, the key up to the first line feed, then the
// file. Beyond the sanitizers' checks: a miss leaves the target untouched,
// and a found text value fits its 256-character buffer.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_check.h"
#include "fuzz_support.h"
#include "main.h"

namespace {

constexpr size_t text_size = 256;  // what the readers' callers must provide

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t choice = data[0];
  const uint8_t* rest = data + 1;
  const uint8_t* end = data + size;
  const uint8_t* key_end = static_cast<const uint8_t*>(memchr(rest, '\n', end - rest));
  if (!key_end) key_end = end;
  // The key as a caller would hold it: a C string, so it stops at any NUL.
  std::string key(reinterpret_cast<const char*>(rest), key_end - rest);
  key.resize(strlen(key.c_str()));
  const uint8_t* file = key_end < end ? key_end + 1 : end;
  const char* path = input_file(file, end - file);

  switch (choice % 3) {
    case 0: {
      // Fill the flag's byte with a value no reader stores, to see a miss.
      bool* flag = static_cast<bool*>(malloc(1));
      memset(flag, 0x5A, 1);
      int status = read_config_flag(path, key.c_str(), flag);
      unsigned char raw;
      memcpy(&raw, flag, 1);
      check(status == 0 || status == 1, "flag reader status");
      if (status == 1) check(raw == 0x5A, "flag reader wrote on a miss");
      if (status == 0) check(raw == 0 || raw == 1 || raw == 0x5A, "flag reader stored a non-bool");
      free(flag);
      break;
    }
    case 1: {
      int* value = static_cast<int*>(malloc(sizeof(int)));
      *value = 0x5A5A5A5A;
      int status = read_config_int(path, key.c_str(), value);
      check(status == 0 || status == 1, "integer reader status");
      if (status == 1) check(*value == 0x5A5A5A5A, "integer reader wrote on a miss");
      free(value);
      break;
    }
    case 2: {
      // Exactly the promised room, on the heap, so that one byte more is caught.
      char* text = static_cast<char*>(malloc(text_size));
      memset(text, 0x5A, text_size);
      int status = read_config_string(path, key.c_str(), text);
      check(status == 0 || status == 1, "string reader status");
      if (status == 1) {
        for (size_t i = 0; i < text_size; ++i)
          check(text[i] == 0x5A, "string reader wrote on a miss");
      } else if (text[0] != 0x5A) {
        const void* nul = memchr(text, '\0', text_size);
        check(nul != nullptr, "string value is not terminated inside its buffer");
        check(strcspn(text, " \t") == strlen(text), "string value holds a blank");
      }
      free(text);
      break;
    }
  }
  return 0;
}
