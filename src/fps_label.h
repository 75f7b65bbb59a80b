// The frame-rate meter's text on the picture. Each host brings its own font,
// so the host passes the routine that draws a line of text at a raster position.
#pragma once

// Draws the latest rate (without its line feed) near the top left corner, in
// window pixels, while the meter is on and has a rate; leaves the GL state,
// matrices and colour as it found them.
void draw_fps_label(void (*draw_text)(float x, float y, const char* text));
