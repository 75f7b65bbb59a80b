// The web layer beside OpenGL: each row's calls and a square go to Mesa and to the layer, which
// must give the same vertices (Mesa's by feedback), matrices, switches, draw state and error; each
// field of the layer's state splits a batch when it changes, and only then. Then the page's rules.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "gl_test_env.h"
#include "web_batch.h"
#include "web_view.h"

namespace {

// Every call the layer answers, as OpenGL's own or as the layer's.
#define CALL(ret, gl_name, web_name, params) ret(*gl_name) params;
#define MESA(ret, gl_name, web_name, params) &gl_name,
#define LAYER(ret, gl_name, web_name, params) &web_name,
const struct calls { WEB_BATCH_CALLS(CALL) } mesa = {WEB_BATCH_CALLS(MESA)},
                                             layer = {WEB_BATCH_CALLS(LAYER)};

void square(const calls& gl) {  // as the scene draws its sprites
  gl.glBegin(GL_TRIANGLE_STRIP);
  for (int i = 0; i < 4; ++i) {
    gl.glTexCoord2f(i % 2 ? 0.0f : 1.0f, i < 2 ? 1.0f : 0.0f);
    gl.glVertex3f(i % 2 ? 0.5f : -0.5f, i < 2 ? -0.5f : 0.5f, 0.25f);
  }
  gl.glEnd();
}

void textured(const calls& gl) { gl.glEnable(GL_TEXTURE_2D), square(gl); }
void fogged(const calls& gl) { gl.glEnable(GL_FOG), square(gl); }
void decal(const calls& gl) { gl.glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL); }

void block(const calls& gl, GLenum mode, int vertices) {  // a fan of corners, doubles
  gl.glBegin(mode);
  gl.glNormal3d(0, 0, 1);
  for (int i = 0; i < vertices; ++i) gl.glVertex3d(std::cos(i * 0.9), std::sin(i * 0.9), 0.125 * i);
  gl.glEnd();
}

void projection(const calls& gl, void (*change)(const calls&)) {
  gl.glMatrixMode(GL_PROJECTION);
  change(gl);
  gl.glMatrixMode(GL_MODELVIEW);
}

#define CALLS(...) +[](const calls& gl) { __VA_ARGS__; }
const GLfloat grey[4] = {0.5f, 0.25f, 0.75f, 1}, clear[4] = {};
// A row: its calls, and how many batches the layer makes of them and the square after them.
const struct row { const char* name; void (*run)(const calls& gl); unsigned batches; } rows[] = {
    {"translate, scale", CALLS(gl.glTranslatef(.25f, -.125f, .5f), gl.glScalef(.5f, 1.5f, -2)), 1},
    {"rotate about x, y, z",
     CALLS(gl.glRotatef(30, 1, 0, 0), gl.glRotatef(-50, 0, 1, 0), gl.glRotatef(120, 0, 0, 1)), 1},
    {"rotate about a slanted axis", CALLS(gl.glRotatef(40, 1, 2, 3)), 1},
    {"ortho", CALLS(projection(gl, CALLS(gl.glOrtho(-2, 3, -1, 2, -3, 5)))), 1},
    {"an empty ortho box", CALLS(projection(gl, CALLS(gl.glOrtho(0, 1, 0, 1, 2, 2)))), 1},
    {"perspective", CALLS(projection(gl, CALLS(gl.gluPerspective(90, 16.0 / 9, 1, 65536))),
                          gl.glTranslatef(0, 0, -2)), 1},
    {"push, pop, load identity",
     CALLS(gl.glTranslatef(0.5f, 0, 0), gl.glPushMatrix(), gl.glRotatef(90, 0, 0, 1),
           gl.glPushMatrix(), gl.glLoadIdentity(), gl.glPopMatrix()), 1},
    {"the modelview stack holds 32", CALLS(for (int i = 0; i < 32; ++i) gl.glPushMatrix()), 1},
    {"popping the last matrix", CALLS(gl.glPopMatrix()), 1},
    {"a pushed projection",
     CALLS(projection(gl, CALLS(gl.glPushMatrix(), gl.glOrtho(-2, 2, -1, 1, -1, 1))), square(gl),
           projection(gl, CALLS(gl.glPopMatrix()))), 2},
    {"triangles", CALLS(block(gl, GL_TRIANGLES, 8)), 1},
    {"a strip", CALLS(block(gl, GL_TRIANGLE_STRIP, 5)), 1},
    {"quads", CALLS(block(gl, GL_QUADS, 7)), 1},
    {"colour", CALLS(gl.glColor4f(0.5f, 0.25f, 1, 0.5f), square(gl), gl.glColor3f(0.25f, 1, 0)), 1},
    // As the frame-rate label does: a colour of its own, drawn, then popped.
    {"pop attrib", CALLS(gl.glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT), gl.glColor3f(0, 1, 0),
                         square(gl), gl.glEnable(GL_LIGHTING), gl.glEnable(GL_TEXTURE_2D),
                         gl.glPopAttrib()), 1},
    {"pop the colour", CALLS(gl.glPushAttrib(GL_CURRENT_BIT), gl.glEnable(GL_BLEND),
                             gl.glColor3f(0, 1, 0), square(gl), gl.glPopAttrib()), 1},
    {"pop the switches", CALLS(gl.glPushAttrib(GL_ENABLE_BIT), gl.glEnable(GL_BLEND),
                               gl.glColor3f(0, 1, 0), gl.glPopAttrib()), 1},
    {"popping with no attrib pushed", CALLS(gl.glPopAttrib()), 1},
    {"fog as the scene sets it",
     CALLS(gl.glEnable(GL_FOG), gl.glFogi(GL_FOG_MODE, GL_EXP), gl.glFogfv(GL_FOG_COLOR, grey),
           gl.glFogf(GL_FOG_DENSITY, 0.15f), gl.glFogf(GL_FOG_START, 1), gl.glFogf(GL_FOG_END, 5),
           gl.glDisable(GL_FOG)), 1},
    {"a fog density below zero", CALLS(gl.glFogf(GL_FOG_DENSITY, -1)), 1},
    // Each field of the batch's state, changed where a draw depends on it and where not.
    {"texturing on", CALLS(square(gl), gl.glEnable(GL_TEXTURE_2D)), 2},
    {"another texture", CALLS(textured(gl), gl.glBindTexture(GL_TEXTURE_2D, 5)), 2},
    {"the same texture", CALLS(textured(gl), gl.glBindTexture(GL_TEXTURE_2D, 0)), 1},
    {"decal", CALLS(textured(gl), decal(gl)), 2},
    {"both, texturing off", CALLS(square(gl), gl.glBindTexture(GL_TEXTURE_2D, 5), decal(gl)), 1},
    {"blending on", CALLS(square(gl), gl.glEnable(GL_BLEND)), 2},
    {"blending on and off", CALLS(square(gl), gl.glEnable(GL_BLEND), gl.glDisable(GL_BLEND)), 1},
    {"a blend", CALLS(gl.glEnable(GL_BLEND), square(gl), gl.glBlendFunc(GL_SRC_ALPHA, GL_ONE)), 2},
    {"a blend, blending off", CALLS(square(gl), gl.glBlendFunc(GL_SRC_ALPHA, GL_ONE)), 1},
    {"depth test", CALLS(square(gl), gl.glEnable(GL_DEPTH_TEST)), 2},
    {"fog on", CALLS(square(gl), gl.glEnable(GL_FOG)), 2},
    {"another fog density", CALLS(fogged(gl), gl.glFogf(GL_FOG_DENSITY, 2)), 2},
    {"another fog colour", CALLS(fogged(gl), gl.glFogfv(GL_FOG_COLOR, grey)), 2},
    {"fog, fog off",
     CALLS(square(gl), gl.glFogf(GL_FOG_DENSITY, 2), gl.glFogfv(GL_FOG_COLOR, grey)), 1},
    {"another projection", CALLS(square(gl), projection(gl, CALLS(gl.glScalef(1, 1, 0.5f)))), 2},
    {"what no draw depends on", CALLS(square(gl), gl.glRotatef(10, 0, 0, 1), gl.glColor3f(1, 0, 0),
                                      gl.glEnable(GL_NORMALIZE), gl.glShadeModel(GL_SMOOTH)), 1},
};

const GLenum switches[] = {GL_TEXTURE_2D, GL_BLEND, GL_DEPTH_TEST, GL_FOG,
                           GL_LIGHTING, GL_NORMALIZE, GL_LIGHT0};

// Mesa back to a fresh context's state, as web_batch_reset() does for the layer.
void reset_mesa() {
  for (GLenum mode : {GL_PROJECTION, GL_MODELVIEW}) {
    glMatrixMode(mode);
    for (int i = 0; i < 32; ++i) glPopMatrix();  // to the last
    glLoadIdentity();
  }
  for (GLenum cap : switches) glDisable(cap);
  glFogfv(GL_FOG_COLOR, clear), glFogf(GL_FOG_DENSITY, 1), glBlendFunc(GL_ONE, GL_ZERO);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE), glBindTexture(GL_TEXTURE_2D, 0);
  glColor4f(1, 1, 1, 1);
  while (glGetError() != GL_NO_ERROR) {
  }
}

// The error, the switches, the state a draw would use and the matrices,
// asked alike of both.
std::vector<float> answers(const calls& gl, GLenum error, void (*matrix)(GLenum, GLfloat*),
                           const web_draw_state& s) {
  std::vector<float> a = {float(error),       float(s.texture), float(s.env_mode),
                          float(s.blend_src), float(s.blend_dst), s.fog_density};
  for (GLenum cap : switches) a.push_back(gl.glIsEnabled(cap));
  a.insert(a.end(), s.fog_color, s.fog_color + 4);
  a.resize(a.size() + 32);
  matrix(GL_MODELVIEW_MATRIX, &a[a.size() - 32]);
  matrix(GL_PROJECTION_MATRIX, &a[a.size() - 16]);
  return a;
}

web_draw_state mesa_draw_state() {
  web_draw_state s;
  GLfloat f[4];
  glGetFloatv(GL_TEXTURE_BINDING_2D, f), s.texture = GLuint(f[0]);
  glGetTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, f), s.env_mode = GLenum(f[0]);
  glGetFloatv(GL_BLEND_SRC, f), s.blend_src = GLenum(f[0]);
  glGetFloatv(GL_BLEND_DST, f), s.blend_dst = GLenum(f[0]);
  glGetFloatv(GL_FOG_DENSITY, &s.fog_density);
  glGetFloatv(GL_FOG_COLOR, s.fog_color);
  return s;
}

std::vector<web_draw_state> batches;
std::vector<float> layer_vertices;  // as Mesa's feedback gives them

void take_batch(const web_draw_state& s, const web_vertex* v, int count) {
  batches.push_back(s);
  for (int i = 0; i < count; ++i) {
    float c[4] = {};  // clip coordinates
    for (int k = 0; k < 16; ++k) c[k % 4] += s.projection[k] * v[i].eye[k / 4];
    if (i % 3 == 0) layer_vertices.push_back(3);
    layer_vertices.insert(layer_vertices.end(),  // in a viewport of 2 by 2
                          {c[0] / c[3] + 1, c[1] / c[3] + 1, (c[2] / c[3] + 1) / 2, c[3],
                           v[i].color[0], v[i].color[1], v[i].color[2], v[i].color[3],
                           v[i].tex[0], v[i].tex[1], 0, 1});
  }
}

void expect_same(const std::vector<float>& layer_answer, const std::vector<float>& mesa_answer) {
  ASSERT_EQ(layer_answer.size(), mesa_answer.size());
  for (size_t i = 0; i < mesa_answer.size(); ++i)
    EXPECT_NEAR(layer_answer[i], mesa_answer[i], 1e-4 * (1 + std::fabs(mesa_answer[i]))) << i;
}

TEST(WebLayer, AnswersAsOpenGLDoes) {
  glViewport(0, 0, 2, 2);
  web_set_draw_sink(take_batch);
  std::vector<GLfloat> feedback(1 << 16);
  for (const row& r : rows) {
    SCOPED_TRACE(r.name);
    reset_mesa();
    glFeedbackBuffer(static_cast<GLsizei>(feedback.size()), GL_4D_COLOR_TEXTURE, feedback.data());
    glRenderMode(GL_FEEDBACK);
    r.run(mesa), square(mesa);
    const auto mesa_answer = answers(mesa, glGetError(), glGetFloatv, mesa_draw_state());
    std::vector<float> mesa_vertices(feedback.begin(), feedback.begin() + glRenderMode(GL_RENDER));
    for (size_t i = 0; i < mesa_vertices.size(); i += 1 + 12 * 3) {  // polygons of three
      ASSERT_EQ(mesa_vertices[i], GL_POLYGON_TOKEN);
      mesa_vertices.erase(mesa_vertices.begin() + i);
    }
    web_batch_reset(), batches.clear(), layer_vertices.clear();
    r.run(layer), square(layer);
    const GLenum error = web_take_layer_error();
    web_flush();
    expect_same(layer_vertices, mesa_vertices);
    EXPECT_EQ(batches.size(), r.batches);
    auto matrix = [](GLenum name, GLfloat* m) { web_get_matrix(name, m); };
    expect_same(answers(layer, error, matrix, batches.back()), mesa_answer);
  }
}

TEST(WebLayer, RefusesWhatTheCoreNeverAsksAsOpenGLRefusesWhatItLacks) {
  for (auto lacks : {CALLS(gl.glBegin(GL_LINES)), CALLS(gl.glFogi(GL_FOG_MODE, GL_LINEAR)),
                     CALLS(gl.glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE)),
                     CALLS(gl.glEnable(GL_CULL_FACE)), CALLS(gl.glMatrixMode(GL_TEXTURE))}) {
    web_batch_reset(), lacks(layer);
    EXPECT_EQ(web_take_layer_error(), static_cast<GLenum>(GL_INVALID_ENUM));
  }
}

// Frames `interval` ms apart for `ms` milliseconds.
double run(web_resolution& rule, double from, double interval, double ms) {
  for (double t = from; t < from + ms; t += interval) rule.frame(t);
  return from + ms;
}

TEST(WebView, ASlowFrameDrawsSmallerAndAFastOneBringsItBackToTheScreensPixels) {
  web_resolution rule;
  double t = run(rule, 0, 50, 4 * 50);  // the start's frames are not judged
  EXPECT_EQ(rule.scale, 1.0);
  t = run(rule, t, 50, 600);  // 20 frames a second: aim at 36
  EXPECT_DOUBLE_EQ(rule.scale, std::sqrt(20.0 / 36.0));
  t = run(rule, t, 25, 2000);  // 40: between the bounds, left alone
  EXPECT_DOUBLE_EQ(rule.scale, std::sqrt(20.0 / 36.0));
  t = run(rule, t, 10, 600);  // 100: a seventh finer
  EXPECT_DOUBLE_EQ(rule.scale, std::sqrt(20.0 / 36.0) * 8 / 7);
  t = run(rule, t, 10, 3000);
  EXPECT_EQ(rule.scale, 1.0);  // and never finer than the screen
  run(rule, t, 2000, 20000);
  EXPECT_EQ(rule.scale, 0.25);  // nor coarser than a quarter of its side
}

TEST(WebView, NarrowScreensKeepTheWidthOfASixteenByNineWindow) {
  EXPECT_EQ(web_narrow_view_scale(1280, 720), 1.0);
  EXPECT_EQ(web_narrow_view_scale(3840, 1080), 1.0);
  EXPECT_DOUBLE_EQ(web_narrow_view_scale(480, 640), 0.75 * 9 / 16);
  EXPECT_EQ(web_narrow_view_scale(640, 0), 1.0);
}

}  // namespace
