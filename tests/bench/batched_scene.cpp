#include "batched_scene.h"

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

namespace {

void draw_backdrop_square() {
  glVertexPointer(3, GL_FLOAT, 0, backdrop_xyz);
  glTexCoordPointer(2, GL_FLOAT, 0, backdrop_st);
  glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

}  // namespace

void batched_scene_draw() {
  scene_record& s = scene_state;
  scene_frame_begin();
  glNormal3f(0.0f, 0.0f, 1.0f);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  draw_title_backdrop(draw_backdrop_square);
  apply_camera();

  enter_cloud_frame();
  bind_with_parameters(s.sprite_texture.tex_name, GL_REPEAT, GL_LINEAR_MIPMAP_LINEAR);
  glBlendFunc(GL_ONE, GL_ONE);
  glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
  glVertexPointer(3, GL_FLOAT, 0, sprite_xyz.data());
  glTexCoordPointer(2, GL_FLOAT, 0, sprite_st.data());
  glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(sprite_xyz.size() / 3));
  leave_cloud_frame();

  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
}
