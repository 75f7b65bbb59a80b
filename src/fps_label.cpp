#include "fps_label.h"

#include <cstdio>
#include <cstring>

#include "main.h"

void draw_fps_label(void (*draw_text)(float x, float y, const char* text)) {
  if (!scene_state.fps_enabled || scene_state.fps_text[0] == '\0') return;
  // The text ends in a line feed, which is not for the screen.
  char text[sizeof scene_state.fps_text];
  std::snprintf(text, sizeof text, "%s", scene_state.fps_text);
  text[std::strcspn(text, "\r\n")] = '\0';

  const int w = scene_state.window_width, h = scene_state.window_height;
  glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_FOG);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0.0, w > 0 ? w : 1, 0.0, h > 0 ? h : 1, -1.0, 1.0);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glColor3f(1.0f, 1.0f, 0.4f);
  draw_text(8.0f, static_cast<float>(h - 20), text);
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopAttrib();
}
