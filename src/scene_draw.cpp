// One frame of the nebula: title backdrop, camera dolly, optional gizmo and
// the tumbling cloud of additive sprites, all in immediate mode.
#include <cmath>
#include <initializer_list>

#include "main.h"

void bind_with_parameters(GLuint name, GLint wrap, GLint min_filter) {
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, min_filter);
}

void draw_sprite_quad() {
  glNormal3f(0.0f, 0.0f, 1.0f);
  glBegin(GL_TRIANGLE_STRIP);
  glTexCoord2f(1.0f, 1.0f);
  glVertex3f(-1.0f, -1.0f, 0.0f);
  glTexCoord2f(0.0f, 1.0f);
  glVertex3f(1.0f, -1.0f, 0.0f);
  glTexCoord2f(1.0f, 0.0f);
  glVertex3f(-1.0f, 1.0f, 0.0f);
  glTexCoord2f(0.0f, 0.0f);
  glVertex3f(1.0f, 1.0f, 0.0f);
  glEnd();
}

void draw_arrow(double length, double shaft_radius, double head_radius, double head_length,
                double segments) {
  // The shape's own letters: length L, shaft radius r, head radius R, head
  // length h, n segments.
  const double L = length, r = shaft_radius, R = head_radius, h = head_length, n = segments;
  GLboolean normalize_was_on = glIsEnabled(GL_NORMALIZE);
  glEnable(GL_NORMALIZE);
  const double step = 6.283185307179586 / n;
  double c0 = 1.0, s0 = 0.0;
  const double shaft_top = L - h;
  for (int i = 1; i <= n; ++i) {
    double theta = i * step;
    double c = cos(theta), s = sin(theta);

    glBegin(GL_QUADS);  // shaft side
    glNormal3d(c0 + c, s0 + s, 0.0);
    glVertex3d(r * c0, r * s0, shaft_top);
    glVertex3d(r * c0, r * s0, 0.0);
    glVertex3d(r * c, r * s, 0.0);
    glVertex3d(r * c, r * s, shaft_top);
    glEnd();

    glBegin(GL_TRIANGLES);  // cone facet
    glNormal3d(h * (R * s - R * s0), h * (R * c0 - R * c), R * c0 * R * s - R * c * R * s0);
    glVertex3d(R * c0, R * s0, shaft_top);
    glVertex3d(R * c, R * s, shaft_top);
    glVertex3d(0.0, 0.0, L);
    glEnd();

    glBegin(GL_TRIANGLES);  // base cap
    glNormal3d(0.0, 0.0, -1.0);
    glVertex3d(r * c0, r * s0, 0.0);
    glVertex3d(r * c, r * s, 0.0);
    glVertex3d(0.0, 0.0, 0.0);
    glEnd();

    glBegin(GL_QUADS);  // underside of the head
    glNormal3d(0.0, 0.0, -1.0);
    glVertex3d(r * c0, r * s0, shaft_top);
    glVertex3d(R * c0, R * s0, shaft_top);
    glVertex3d(R * c, R * s, shaft_top);
    glVertex3d(r * c, r * s, shaft_top);
    glEnd();

    c0 = c;
    s0 = s;
  }
  if (!normalize_was_on) glDisable(GL_NORMALIZE);
}

void draw_axes() {
  // Rotation that turns the +z arrow onto each axis, and back.
  static const float turn[3][3] = {{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}};
  const float length = 2.5f, shaft = 0.03f, head = 0.05f, head_length = 0.05f, segments = 100.0f;
  for (int k = 0; k < 3; ++k) {
    const float* m = scene_state.axis_materials[k];
    for (GLenum face : {GL_FRONT, GL_BACK}) {
      glMaterialfv(face, GL_AMBIENT, m);
      glMaterialfv(face, GL_DIFFUSE, m + 4);
      glMaterialfv(face, GL_SPECULAR, m + 8);
      glMaterialfv(face, GL_SHININESS, m + 12);
    }
    glRotatef(90.0f, turn[k][0], turn[k][1], turn[k][2]);
    draw_arrow(length, shaft, head, head_length, segments);
    glRotatef(90.0f, -turn[k][0], -turn[k][1], -turn[k][2]);
  }
}

void scene_frame_begin() {
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glColor3f(1.0f, 1.0f, 1.0f);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glTranslatef(0.0f, 0.0f, -20.0f);
}

void draw_title_backdrop(void (*draw_square)()) {
  scene_record& s = scene_state;
  // The half turn undoes the square's left-right mirroring.
  glPushMatrix();
  glEnable(GL_TEXTURE_2D);
  glTranslatef(16.0f, -9.0f, 0.0f);
  glRotatef(180.0f, 0.0f, 1.0f, 0.0f);
  glScalef(12.0f, 12.0f, 1.0f);
  bind_with_parameters(s.title_texture.tex_name, GL_CLAMP, GL_LINEAR);
  draw_square();
  glDisable(GL_TEXTURE_2D);
  glPopMatrix();
}

void apply_camera() {
  scene_record& s = scene_state;
  // Dolly along the viewing axis, then the camera angles and the world transform.
  glTranslatef(0.0f, 0.0f, static_cast<float>(8.0 * sin(s.frame_count * 0.001) + 0.0));
  glRotatef(s.camera_angle[0], 1.0f, 0.0f, 0.0f);
  glRotatef(s.camera_angle[1], 0.0f, 1.0f, 0.0f);
  glRotatef(s.camera_angle[2], 0.0f, 0.0f, 1.0f);
  glScalef(s.world_scale[0], s.world_scale[1], s.world_scale[2]);
  glTranslatef(s.world_offset[0], s.world_offset[1], s.world_offset[2]);
}

void enter_cloud_frame() {
  scene_record& s = scene_state;
  s.cloud_pitch = s.cloud_pitch - 0.05f;
  glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, static_cast<GLfloat>(GL_DECAL));
  glPushMatrix();
  glEnable(GL_TEXTURE_2D);
  glRotatef(s.cloud_pitch, 1.0f, 0.0f, 0.0f);
  glRotatef(s.cloud_yaw, 0.0f, 1.0f, 0.0f);
  glRotatef(s.cloud_roll, 0.0f, 0.0f, 1.0f);
}

void leave_cloud_frame() {
  glDisable(GL_TEXTURE_2D);
  glPopMatrix();
}

void scene_draw() {
  scene_record& s = scene_state;
  scene_frame_begin();
  draw_title_backdrop(draw_sprite_quad);
  apply_camera();

  if (s.show_axes == 1) {
    glEnable(GL_LIGHTING);
    glShadeModel(GL_SMOOTH);
    glColor3f(1.0f, 1.0f, 1.0f);
    draw_axes();
    glDisable(GL_LIGHTING);
  }

  enter_cloud_frame();
  if (s.show_gradient == 1) {
    glScalef(1.0f, 1.0f, 1.0f);
    bind_with_parameters(s.gradient_texture.tex_name, GL_REPEAT, GL_LINEAR);
    draw_sprite_quad();
  }

  for (int i = 0; i < star_count; ++i) {
    glPushMatrix();  // every sprite starts from the cloud frame
    glTranslatef(s.star_position[i][0], s.star_position[i][1], s.star_position[i][2]);
    glScalef(s.star_scale[i][0], s.star_scale[i][1], s.star_scale[i][2]);
    glRotatef(s.camera_angle[0], -1.0f, 0.0f, 0.0f);
    glRotatef(s.camera_angle[1], 0.0f, -1.0f, 0.0f);
    glRotatef(s.camera_angle[2], 0.0f, 0.0f, -1.0f);
    bind_with_parameters(s.sprite_texture.tex_name, GL_REPEAT, GL_LINEAR_MIPMAP_LINEAR);
    glBlendFunc(GL_ONE, GL_ONE);
    glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
    draw_sprite_quad();
    glPopMatrix();
  }
  leave_cloud_frame();
}
