// The settings file: "key value" lines, "#" comments in the first column.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "main.h"

namespace {

constexpr int piece_size = 256;  // one read takes at most 255 characters

// Finds the first line whose key is `key` and hands its value text to
// `store`. Returns 0 when the key was found, 1 otherwise.
template <typename Store>
int read_config(const char* path, const char* key, FILE* open_error_stream, Store store) {
  FILE* file = fopen(path, "r");
  if (!file) {
    fprintf(open_error_stream, "# error: cannot open file.\n");
    return 1;
  }
  char* line = static_cast<char*>(malloc(piece_size));
  char* line_key = static_cast<char*>(malloc(piece_size + 1));
  if (!line || !line_key) {
    printf("# error: fail alloc memory.\n");
    exit(1);
  }
  // Notepad may begin a UTF-8 file with a byte-order mark: it belongs to no
  // key, and left in place it would hide the first line's.
  char mark[3];
  if (fread(mark, 1, 3, file) != 3 || memcmp(mark, "\xEF\xBB\xBF", 3) != 0) rewind(file);
  bool found = false;
  while (!found && fgets(line, piece_size, file)) {
    line[strcspn(line, "\r\n")] = '\0';
    if (line[0] == '#') continue;
    if (sscanf(line, "%256s", line_key) != 1) continue;  // nothing but blanks
    if (strcmp(line_key, key) != 0) continue;
    found = true;
    // The value follows the key after blanks.
    const char* value = strstr(line, line_key) + strlen(line_key);
    value += strspn(value, " \t\v\f");
    if (!store(value)) fprintf(stderr, "# error: \"%s\" has no value.\n", key);
  }
  free(line_key);
  free(line);
  fclose(file);
  if (!found) {
    fprintf(stderr, "# error: \"%s\" no configuration parameter.\n", key);
    return 1;
  }
  return 0;
}

// A decimal integer at the start of text; false when there is none. Values
// beyond the 32-bit range are clamped rather than left to overflow.
bool parse_int(const char* text, int* out) {
  char* end = nullptr;
  errno = 0;
  long v = strtol(text, &end, 10);
  if (end == text) return false;
  if (v > INT_MAX) v = INT_MAX;
  if (v < INT_MIN) v = INT_MIN;
  *out = static_cast<int>(v);
  return true;
}

}  // namespace

int read_config_flag(const char* path, const char* key, bool* flag) {
  return read_config(path, key, stdout, [flag](const char* value) {
    int v;
    if (!parse_int(value, &v)) return false;
    *flag = v != 0;
    return true;
  });
}

int read_config_int(const char* path, const char* key, int* target) {
  return read_config(path, key, stdout, [target](const char* value) {
    return parse_int(value, target);
  });
}

int read_config_string(const char* path, const char* key, char* text) {
  return read_config(path, key, stderr, [text](const char* value) {
    size_t n = strcspn(value, " \t\v\f");
    if (n == 0) return false;
    memcpy(text, value, n);  // n < 256: the line itself is shorter than that
    text[n] = '\0';
    return true;
  });
}
