#include "tools/logo.h"

#include <algorithm>
#include <cstdlib>

GLuint logo_texture = 0;
GLuint logo_list = 0;
float logo_position[2] = {0.0f, 0.0f};
float logo_step[2] = {0.01f, 0.01f};

void make_logo_list() {
  logo_list = glGenLists(1);
  glNewList(logo_list, GL_COMPILE);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, logo_texture);
  glBegin(GL_QUADS);
  glTexCoord2f(0.0f, 0.0f);
  glVertex3f(-3.0f, -1.5f, 0.0f);
  glTexCoord2f(0.0f, 1.0f);
  glVertex3f(-3.0f, 1.5f, 0.0f);
  glTexCoord2f(1.0f, 1.0f);
  glVertex3f(3.0f, 1.5f, 0.0f);
  glTexCoord2f(1.0f, 0.0f);
  glVertex3f(3.0f, -1.5f, 0.0f);
  glEnd();
  glDisable(GL_TEXTURE_2D);
  glEndList();
}

bool logo_bounce_step(int width, int height) {
  // A window with no area has no view to bounce in (and its aspect would
  // divide by zero): keep the card where it is until it has one.
  if (width <= 0 || height <= 0) return false;

  if (rand() % 30 == 0) logo_step[0] = -logo_step[1];
  if (rand() % 30 == 1) logo_step[1] = -logo_step[0];

  // In a view narrower than the card there is no room to travel; without the
  // floor at 0 the step would flip every frame and the card would wander off
  // sideways whenever the diagonal turns.
  const double limit = std::max(5.0 * width / height - 3.0, 0.0);
  const double next_x = logo_position[0] + logo_step[0];
  if (next_x > limit || next_x < -limit) logo_step[0] = -logo_step[0];
  const float next_y = logo_position[1] + logo_step[1];
  if (next_y > 3.5f || next_y < -3.5f) logo_step[1] = -logo_step[1];

  logo_position[0] += logo_step[0];
  logo_position[1] += logo_step[1];
  return true;
}

void draw_bouncing_logo(int width, int height) {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  if (!logo_bounce_step(width, height)) return;
  glPushMatrix();
  glTranslatef(logo_position[0], logo_position[1], 0.0f);
  glCallList(logo_list);
  glPopMatrix();
}
