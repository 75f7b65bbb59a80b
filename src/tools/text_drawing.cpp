#include "tools/text_drawing.h"

#include <GL/freeglut.h>

namespace {

// Characters go to the font as signed 8-bit codes widened to int, so bytes
// above 127 arrive negative; GLUT fonts have no glyph there and skip them.
int font_code(char c) { return static_cast<int>(static_cast<signed char>(c)); }

}  // namespace

void draw_bitmap_text(float x, float y, void* font, const char* text) {
  glPushAttrib(GL_CURRENT_BIT);
  glRasterPos2f(x, y);
  if (text)
    for (const char* p = text; *p; ++p) glutBitmapCharacter(font, font_code(*p));
  glPopAttrib();
}

void draw_stroke_text(float x, float y, float scale_x, float scale_y, void* font,
                      const char* text) {
  glPushMatrix();
  glTranslatef(x, y, 0.0f);
  glScalef(scale_x, scale_y, 1.0f);
  if (text)
    for (const char* p = text; *p; ++p) glutStrokeCharacter(font, font_code(*p));
  glPopMatrix();
}
