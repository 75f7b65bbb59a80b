// Text on the GL picture in the X server's own "fixed" font: the hack's
// frame-rate label, which needs no font files of ours.
#pragma once

#include <X11/Xlib.h>

// Makes the display lists for the characters 32 ... 126 in the current GL
// context; says so on standard error and leaves text undrawn when the server
// has no "fixed" font.
void load_x_font_text(Display* dpy);

// Draws a line of text with its first baseline pixel at raster position (x, y).
void draw_x_font_text(float x, float y, const char* text);
