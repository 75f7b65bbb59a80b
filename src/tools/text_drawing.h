// Text in GLUT fonts; the caller picks the font.
#pragma once

// Draws text at raster position (x, y) in a GLUT bitmap font. The current
// colour and raster position are the same afterwards.
void draw_bitmap_text(float x, float y, void* font, const char* text);

// Draws text in a GLUT stroke font, translated by (x, y) and scaled by
// (scale_x, scale_y). The current matrix is the same afterwards.
void draw_stroke_text(float x, float y, float scale_x, float scale_y, void* font, const char* text);
