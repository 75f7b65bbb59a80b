// The bouncing logo: a textured 6 x 3 card that drifts and bounces inside an
// orthographic view 10 units high.
#pragma once

#include "gl_headers.h"

extern GLuint logo_texture;     // bound by the logo list; 0 is the default texture
extern GLuint logo_list;        // set by make_logo_list
extern float logo_position[2];  // centre of the card
extern float logo_step[2];      // movement per frame

// Records the card into a new display list in logo_list (drawing nothing).
void make_logo_list();

// Moves the card one step, bouncing off the edges of a view x = +-5 * width /
// height, y = +-5 and now and then turning onto the other diagonal. Returns
// false, leaving the card alone, when the window has no area.
bool logo_bounce_step(int width, int height);

// One frame: clears, loads the identity, takes one bounce step and draws the
// card. Expects the projection x = +-5 * width / height, y = +-5.
void draw_bouncing_logo(int width, int height);
