// Developer reports on the OpenGL state and the material tables.
#pragma once

#include "main.h"

// 24 stock material colours, 13 floats a row (ambient, diffuse, specular RGBA, shininess).
extern const float material_table[24][material_floats];

// Prints the oldest pending OpenGL error, if any, as one line on standard error.
void gl_report_error();
// True when the driver's extension string offers exactly this name.
bool gl_has_extension(const char* name);
void dump_material_table();
void dump_axis_materials();
