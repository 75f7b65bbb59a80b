// What the viewer can show besides the nebula: the shape gallery and the
// bouncing logo, plus the frame-rate overlay. Each *_init runs once after
// scene_init, with the window's context current.
#pragma once

void gallery_init();
void gallery_reshape(int width, int height);
void gallery_draw();

void logo_init();
void logo_reshape(int width, int height);
void logo_draw();

// Draws fps_text in the top left corner, while the meter is on and has a reading.
void draw_fps_overlay();
