#include "x_font_text.h"

#include <GL/glx.h>

#include <cstdio>

namespace {

// Display lists for the characters 32 ... 127, from the server's own "fixed" font.
GLuint font_lists = 0;
int font_advance = 0;

}  // namespace

void draw_x_font_text(float x, float y, const char* text) {
  if (!font_lists) return;
  glRasterPos2f(x, y);
  for (const char* c = text; *c; ++c) {
    // The server's blank glyph makes an empty list: step over it by hand.
    if (*c == ' ')
      glBitmap(0, 0, 0, 0, static_cast<GLfloat>(font_advance), 0, nullptr);
    else if (*c > 32 && *c < 127)
      glCallList(font_lists + (*c - 32));
  }
}

void load_x_font_text(Display* dpy) {
  XFontStruct* font = XLoadQueryFont(dpy, "fixed");
  if (!font) {
    fprintf(stderr, "orvane: no \"fixed\" font; the frame rate is not drawn\n");
    return;
  }
  font_lists = glGenLists(96);
  glXUseXFont(font->fid, 32, 96, font_lists);
  font_advance = font->max_bounds.width;
  XFreeFont(dpy, font);
}
