#include "batched_scene.h"

#include <cmath>
#include <vector>

#include "main.h"

namespace {

// draw_sprite_quad's strip (texture s, t, then x, y) as two triangles that
// share its diagonal, so the covered pixels are the same.
const float quad[4][4] = {{1, 1, -1, -1}, {0, 1, 1, -1}, {1, 0, -1, 1}, {0, 0, 1, 1}};
const int triangle_order[6] = {0, 1, 2, 2, 1, 3};

std::vector<float> sprite_xyz, sprite_st;
const float backdrop_xyz[12] = {-1, -1, 0, 1, -1, 0, -1, 1, 0, 1, 1, 0};
const float backdrop_st[8] = {1, 1, 0, 1, 1, 0, 0, 0};

}  // namespace

void batched_scene_init() {
  const scene_record& s = scene_state;
  sprite_xyz.clear();
  sprite_st.clear();
  // The per-sprite matrix of scene_draw, T(position) S(scale) and the
  // camera's counter-rotations, applied here once; the camera angles stay 0
  // in the saver, so the rotations are the identity and are left out.
  for (int i = 0; i < star_count; ++i) {
    for (int k : triangle_order) {
      sprite_st.push_back(quad[k][0]);
      sprite_st.push_back(quad[k][1]);
      sprite_xyz.push_back(s.star_position[i][0] + s.star_scale[i][0] * quad[k][2]);
      sprite_xyz.push_back(s.star_position[i][1] + s.star_scale[i][1] * quad[k][3]);
      sprite_xyz.push_back(s.star_position[i][2]);
    }
  }
}

void batched_scene_draw() {
  scene_record& s = scene_state;
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glColor3f(1.0f, 1.0f, 1.0f);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glTranslatef(0.0f, 0.0f, -20.0f);
  glNormal3f(0.0f, 0.0f, 1.0f);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);

  glPushMatrix();
  glEnable(GL_TEXTURE_2D);
  glTranslatef(16.0f, -9.0f, 0.0f);
  glRotatef(180.0f, 0.0f, 1.0f, 0.0f);
  glScalef(12.0f, 12.0f, 1.0f);
  bind_with_parameters(s.title_texture.tex_name, GL_CLAMP, GL_LINEAR);
  glVertexPointer(3, GL_FLOAT, 0, backdrop_xyz);
  glTexCoordPointer(2, GL_FLOAT, 0, backdrop_st);
  glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
  glDisable(GL_TEXTURE_2D);
  glPopMatrix();

  glTranslatef(0.0f, 0.0f, static_cast<float>(8.0 * sin(s.frame_count * 0.001) + 0.0));
  glRotatef(s.camera_angle[0], 1.0f, 0.0f, 0.0f);
  glRotatef(s.camera_angle[1], 0.0f, 1.0f, 0.0f);
  glRotatef(s.camera_angle[2], 0.0f, 0.0f, 1.0f);
  glScalef(s.world_scale[0], s.world_scale[1], s.world_scale[2]);
  glTranslatef(s.world_offset[0], s.world_offset[1], s.world_offset[2]);

  s.cloud_pitch = s.cloud_pitch - 0.05f;
  glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, static_cast<GLfloat>(GL_DECAL));
  glPushMatrix();
  glEnable(GL_TEXTURE_2D);
  glRotatef(s.cloud_pitch, 1.0f, 0.0f, 0.0f);
  glRotatef(s.cloud_yaw, 0.0f, 1.0f, 0.0f);
  glRotatef(s.cloud_roll, 0.0f, 0.0f, 1.0f);
  bind_with_parameters(s.sprite_texture.tex_name, GL_REPEAT, GL_LINEAR_MIPMAP_LINEAR);
  glBlendFunc(GL_ONE, GL_ONE);
  glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
  glVertexPointer(3, GL_FLOAT, 0, sprite_xyz.data());
  glTexCoordPointer(2, GL_FLOAT, 0, sprite_st.data());
  glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(sprite_xyz.size() / 3));
  glDisable(GL_TEXTURE_2D);
  glPopMatrix();

  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
}
