#include "viewer_scenes.h"

#include <GL/freeglut.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "fps_label.h"
#include "main.h"
#include "qxtexture.h"
#include "tools/logo.h"
#include "tools/shapes.h"
#include "tools/text_drawing.h"

namespace {

GLuint checker_name = 0;
GLuint hill_list = 0;

// Cell (column, row) of the 4 x 3 gallery grid, as an eye-space centre.
constexpr float cell_dx = 3.3f, cell_dy = 2.9f, cell_z = -13.0f;
float cell_x(int column) { return (column - 1.5f) * cell_dx; }
float cell_y(int row) { return (1.0f - row) * cell_dy + 0.25f; }

void use_checker() {
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, checker_name);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

// Moves to a cell and gives the shape a slow turn about a tilted axis.
void enter_cell(int column, int row, float spin) {
  glLoadIdentity();
  glTranslatef(cell_x(column), cell_y(row), cell_z);
  glRotatef(20.0f, 1.0f, 0.0f, 0.0f);
  glRotatef(spin, 0.0f, 1.0f, 0.0f);
}

void lit() {
  glEnable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
}

void unlit() {
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
}

// One cell of the gallery: where it sits, its label, and how its shape is
// drawn there (spin is the cells' common rocking angle).
struct gallery_cell {
  int column, row;
  const char* label;
  void (*draw)(int column, int row, float spin);
};

// clang-format off
const gallery_cell gallery[] = {
    {0, 0, "capped cylinder", [](int c, int r, float spin) {
       unlit();
       use_checker();
       enter_cell(c, r, spin);
       glRotatef(60.0f, 0.0f, 1.0f, 0.0f);  // show a cap and the wall
       glScalef(0.7f, 0.7f, 0.7f);
       draw_capped_cylinder(24);
     }},
    {1, 0, "wire box", [](int c, int r, float spin) {
       unlit();
       glColor3f(0.9f, 0.9f, 0.6f);
       enter_cell(c, r, spin);
       glTranslatef(0.0f, 0.8f, 0.0f);
       draw_wire_box(1.6f, 1.6f, 1.6f);
     }},
    {2, 0, "teapot", [](int c, int r, float spin) {
       lit();
       use_checker();
       glColor3f(1.0f, 1.0f, 1.0f);
       enter_cell(c, r, spin);
       draw_env_teapot();  // sphere-mapped checker
       glDisable(GL_TEXTURE_2D);
     }},
    {3, 0, "hue ring", [](int c, int r, float spin) {
       lit();
       enter_cell(c, r, spin);
       glRotatef(40.0f, 1.0f, 0.0f, 0.0f);
       glScalef(0.6f, 0.6f, 0.6f);
       draw_hue_ring(48);
     }},
    {0, 1, "triangle", [](int c, int r, float spin) {
       unlit();
       glColor3f(0.5f, 0.9f, 1.0f);
       enter_cell(c, r, spin);
       glTranslatef(0.0f, 0.15f, 0.0f);
       glScalef(0.04f, 0.04f, 0.04f);
       draw_triangle_outline();
     }},
    {1, 1, "tiled quad", [](int c, int r, float spin) {
       unlit();
       glColor3f(1.0f, 1.0f, 1.0f);
       use_checker();
       enter_cell(c, r, spin);
       glScalef(0.9f, 0.9f, 0.9f);
       draw_tiled_quad();
     }},
    {2, 1, "face quad", [](int c, int r, float spin) {
       use_checker();
       enter_cell(c, r, spin);
       glScalef(0.9f, 0.9f, 0.9f);
       draw_face_quad();
     }},
    {3, 1, "open cylinder", [](int c, int r, float spin) {
       lit();
       glColor3f(0.9f, 0.5f, 0.3f);
       enter_cell(c, r, spin);
       glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
       glTranslatef(0.0f, 0.0f, -0.9f);
       draw_open_cylinder(1.8, 0.7, 24);
     }},
    {0, 2, "cylinder between", [](int c, int r, float) {
       // The placed cylinder ignores the current matrix: give it eye-space
       // points that swing around the cell's centre.
       lit();
       glColor3f(0.4f, 0.8f, 0.4f);
       const float a = scene_state.frame_count * 0.01f;
       const double cx = cell_x(c), cy = cell_y(r), cz = cell_z;
       draw_cylinder_between(1.0, 0.12, 16, cx - 0.9 * std::cos(a), cy - 0.9, cz - 0.9 * std::sin(a),
                             cx + 0.9 * std::cos(a), cy + 0.9, cz + 0.9 * std::sin(a));
     }},
    {1, 2, "textured box", [](int c, int r, float spin) {
       lit();
       glColor3f(1.0f, 1.0f, 1.0f);
       enter_cell(c, r, spin);
       glRotatef(30.0f, 1.0f, 0.0f, 1.0f);
       draw_textured_box(0.6f, checker_name, checker_name, checker_name, checker_name,
                         checker_name, checker_name);
     }},
    {2, 2, "hill", [](int c, int r, float spin) {
       unlit();
       glColor3f(0.6f, 0.8f, 0.5f);
       enter_cell(c, r, spin);
       glTranslatef(0.0f, -0.6f, 0.0f);
       glScalef(0.06f, 0.06f, 0.06f);
       glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
       glCallList(hill_list);
       glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
     }},
    {3, 2, "logo card", [](int c, int r, float spin) {
       unlit();
       glColor3f(1.0f, 1.0f, 1.0f);
       enter_cell(c, r, spin);
       glScalef(0.3f, 0.3f, 0.3f);
       glCallList(logo_list);
     }},
};
// clang-format on

}  // namespace

void gallery_init() {
  static qxtexture checker;
  glGenTextures(1, &checker.tex_name);
  checker.make_checker();
  checker_name = checker.tex_name;
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);

  // The hill list draws while it records: record it into an unseen frame.
  hill_list = make_hill_list();
  logo_texture = checker_name;
  make_logo_list();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void gallery_reshape(int width, int height) {
  scene_reshape(width, height);
  // The shapes sit close: a narrower view than the nebula's.
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(40.0, height > 0 ? static_cast<double>(width) / height : 1.0, 1.0, 100.0);
  glMatrixMode(GL_MODELVIEW);
}

void gallery_draw() {
  glClearColor(0.08f, 0.08f, 0.12f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glMatrixMode(GL_MODELVIEW);
  glPushAttrib(GL_ENABLE_BIT | GL_LIGHTING_BIT | GL_CURRENT_BIT | GL_POLYGON_BIT | GL_TEXTURE_BIT |
               GL_DEPTH_BUFFER_BIT);
  glEnable(GL_DEPTH_TEST);
  glDisable(GL_BLEND);
  glDisable(GL_FOG);
  glEnable(GL_NORMALIZE);

  // A light over the viewer's right shoulder, fixed in eye space; shapes
  // with normals take their colour from glColor.
  glLoadIdentity();
  const GLfloat light_dir[] = {0.4f, 0.7f, 0.6f, 0.0f};
  const GLfloat ambient[] = {0.3f, 0.3f, 0.3f, 1.0f}, diffuse[] = {0.8f, 0.8f, 0.8f, 1.0f};
  glLightfv(GL_LIGHT0, GL_POSITION, light_dir);
  glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
  glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
  glEnable(GL_COLOR_MATERIAL);
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);

  // Rock the shapes to and fro rather than spin them, so the flat ones never
  // stay edge-on for long.
  const float spin = 35.0f * std::sin(scene_state.frame_count * 0.02f);
  for (const gallery_cell& cell : gallery) cell.draw(cell.column, cell.row, spin);

  // Names under the cells.
  unlit();
  glDisable(GL_DEPTH_TEST);
  glLoadIdentity();
  glTranslatef(0.0f, 0.0f, cell_z);  // raster positions in the cells' plane
  glColor3f(0.8f, 0.8f, 0.8f);
  for (const gallery_cell& cell : gallery)
    draw_bitmap_text(cell_x(cell.column) - 1.4f, cell_y(cell.row) - 1.35f - 0.25f,
                     GLUT_BITMAP_HELVETICA_12, cell.label);
  glPopAttrib();
}

void logo_init() {
  // The title picture makes the logo; the card shows it whole.
  logo_texture = scene_state.title_texture.tex_name;
  glBindTexture(GL_TEXTURE_2D, logo_texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
  make_logo_list();
}

void logo_reshape(int width, int height) {
  glViewport(0, 0, width, height);
  scene_state.window_width = width;
  scene_state.window_height = height;
  if (height <= 0) return;  // no aspect to keep; the logo waits for a real size
  // The saver's volume at window creation: 10 units high, the window's aspect.
  const double right = width * 5.0 / height, left = width * -5.0 / height;
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(left, right, -5.0, 5.0, -5.0, 5.0);
  glMatrixMode(GL_MODELVIEW);
}

void logo_draw() {
  glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT | GL_CURRENT_BIT);
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glDisable(GL_LIGHTING);
  glDisable(GL_BLEND);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  // Pictures keep their first row at t = 0, the card's bottom edge: turn the
  // picture upright.
  glMatrixMode(GL_TEXTURE);
  glLoadIdentity();
  glTranslatef(0.0f, 1.0f, 0.0f);
  glScalef(1.0f, -1.0f, 1.0f);
  glMatrixMode(GL_MODELVIEW);
  draw_bouncing_logo(scene_state.window_width, scene_state.window_height);
  glMatrixMode(GL_TEXTURE);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glPopAttrib();
}

void draw_fps_overlay() {
  draw_fps_label([](float x, float y, const char* text) {
    draw_bitmap_text(x, y, GLUT_BITMAP_9_BY_15, text);
  });
}
