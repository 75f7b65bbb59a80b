// A small library of immediate-mode shapes for trying things out in the
// developer viewer. Each draws with the state it finds unless noted, and all
// leave the current matrix as they found it. Segment counts below 1 draw nothing.
#pragma once

#include "gl_headers.h"

// Distance between opposite faces of draw_textured_box before its scale.
extern float box_size;

// Radius 1 along z from -1 to 1, both caps, no normals; leaves the colour at
// the caps' (1, 0.5, 0.5).
void draw_capped_cylinder(int n);
// A wire box of the given size hanging below the origin (y from -sy to 0).
void draw_wire_box(float sx, float sy, float sz);
// A solid teapot with sphere-mapped texture coordinates; texturing is the caller's.
void draw_env_teapot();
// A flat washer in the x-z plane (radii 1.6 to 2.0) coloured once round the hues.
void draw_hue_ring(int n);
// An outlined triangle of 50 units in the plane z = 0.
void draw_triangle_outline();
// The square -1..1 with its texture repeated twice each way.
void draw_tiled_quad();
// The square -1..1 with its texture once, turned half a turn.
void draw_face_quad();
// The wall of a cylinder around z from 0 to height, with outward normals.
void draw_open_cylinder(double height, double radius, int n);
// draw_open_cylinder in a frame from p1 towards p2, scaled by their distance.
// Replaces the current matrix while it draws (a view transform does not apply).
void draw_cylinder_between(double height, double radius, int n, double x1, double y1, double z1,
                           double x2, double y2, double z2);
// A box of six face quads, one texture each, with texturing on only while it draws.
void draw_textured_box(float scale, GLuint t1, GLuint t2, GLuint t3, GLuint t4, GLuint t5,
                       GLuint t6);
// Records (and draws) a hill of six rings around y, 20 high and 20 wide in
// radius; returns the new display list.
GLuint make_hill_list();
