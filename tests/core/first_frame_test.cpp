// The first frame after set-up, drawn in a fresh process: OpenGL's default
// blending and texture environment, with the lighting set-up leaves on.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "gl_test_env.h"
#include "main.h"

namespace {

std::vector<unsigned char> read_frame() {
  std::vector<unsigned char> rgb(640 * 360 * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, 640, 360, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  return rgb;
}

}  // namespace

TEST(FirstFrame, TitleIsLitAndModulatedThenShownAsItIsFromTheSecondFrame) {
  srand(1);
  {
    stream_capture quiet(1);
    scene_init();
  }
  scene_reshape(640, 360);
  GLint src = 0, dst = 0, env = 0;
  glGetIntegerv(GL_BLEND_SRC, &src);
  glGetIntegerv(GL_BLEND_DST, &dst);
  glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env);
  EXPECT_EQ(GL_ONE, src);
  EXPECT_EQ(GL_ZERO, dst);
  EXPECT_EQ(GL_MODULATE, env);

  // Only the title shows: the sprites shrink to nothing.
  std::memset(scene_state.star_scale, 0, sizeof scene_state.star_scale);
  scene_draw();
  const auto first = read_frame();
  scene_draw();
  const auto second = read_frame();

  // The backdrop's normal is at right angles to the light from above, so
  // lighting gives it only the ambient terms: 0.2 x 0.2 + 0.4 x 0.2 = 0.12,
  // by which the default environment multiplies the picture. From the
  // second frame the decal environment shows the picture as it is.
  int bright = 0;
  for (size_t i = 0; i < second.size(); ++i) {
    if (second[i] < 100) continue;
    ++bright;
    ASSERT_NEAR(0.12 * second[i], first[i], 3.0) << "byte " << i;
  }
  EXPECT_GT(bright, 1000) << "the title shows";
}
