// Reads back what drawing code sends to OpenGL: runs it in feedback mode under
// an orthographic view and maps the window coordinates back to the units of
// the modelview matrix in force.
#pragma once

#include <GL/gl.h>

#include <functional>
#include <vector>

struct fb_vertex {
  float x, y, z;     // eye coordinates
  float r, g, b, a;  // colour after lighting and clamping
  float s, t;        // texture coordinates
};

struct fb_primitive {
  GLenum token;  // GL_POLYGON_TOKEN, GL_LINE_TOKEN, GL_LINE_RESET_TOKEN, GL_BITMAP_TOKEN, ...
  std::vector<fb_vertex> v;
};

// Coordinates come back in eye space (the modelview is applied as usual), in
// units of an orthographic box of +-span on every axis.
std::vector<fb_primitive> capture_feedback(const std::function<void()>& draw, double span = 4.0);

// Every vertex of every primitive, in order.
std::vector<fb_vertex> all_vertices(const std::vector<fb_primitive>& prims);

// Eye-space normals as lighting sees them: draws twice, under three coloured
// lights along +x, +y and +z and then along -x, -y and -z (diffuse light, white
// material, no ambient), and reads each vertex's normal back from its colours:
// the vertex's r, g, b hold the normal's x, y, z. Unit normals come back as
// they are, longer ones as lighting clamps them. The drawing must not set
// materials; lighting state is put back afterwards.
std::vector<fb_primitive> capture_normals(const std::function<void()>& draw, double span = 4.0);

// The normal of a primitive's first three vertices by their order
// (counter-clockwise seen from its tip), unit length; zero if degenerate.
void winding_normal(const fb_primitive& p, float out[3]);
