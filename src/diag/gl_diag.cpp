#include <cstdio>
#include <cstring>

#include "diag.h"

void gl_report_error() {
  GLenum code = glGetError();
  if (code == GL_NO_ERROR) return;
  const GLubyte* text = gluErrorString(code);
  fprintf(stderr, "OpenGL Error: %s\n", text ? reinterpret_cast<const char*>(text) : "unknown");
}

bool gl_has_extension(const char* name) {
  const char* start = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  if (!start || !name) return false;
  const char* end = start + strlen(start);
  for (const char* p = start; p < end;) {
    size_t n = strcspn(p, " ");
    if (n == strlen(name) && strncmp(p, name, n) == 0) return true;
    p += n + 1;
  }
  return false;
}
