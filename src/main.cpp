// Scene record, set-up, frame-rate meter, clocks and projection.
#include "main.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

scene_record scene_state;

void (*full_screen_hook)() = nullptr;

int64_t system_wall_clock_ms() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

int64_t (*wall_clock_ms)() = system_wall_clock_ms;

const char* asset_path(const char* name) {
  static std::string path;
#ifdef _WIN32
  path = "c:/Program Files/Orvane";
#else
  const char* dir = getenv("ORVANE_DATA_DIR");
  path = dir && *dir ? dir : ORVANE_INSTALLED_DATA_DIR;
#endif
  path += "/";
  path += name;
  return path.c_str();
}

void gl_report_driver() {
  const GLenum names[] = {GL_VENDOR, GL_RENDERER, GL_VERSION, GL_EXTENSIONS};
  // "Rendorer" is kept as the driver report has always printed it.
  const char* formats[] = {"OpenGL Vendor: %s\n", "OpenGL Rendorer: %s\n",
                           "OpenGL Version: %s\n", "OpenGL Extensions: %s\n"};
  const char* text[4];
  for (int i = 0; i < 4; ++i) {
    text[i] = reinterpret_cast<const char*>(glGetString(names[i]));
    if (!text[i]) text[i] = "";
  }
  for (int i = 0; i < 4; ++i) printf(formats[i], text[i]);
}

// The field is laid out for a 15-bit generator (0 ... 32767), which is what
// the Windows runtime's rand() gives; other runtimes give more bits, so keep
// the low 15 of each draw.
static int rand15() { return rand() & 0x7FFF; }

// A draw scaled to 0 ... limit, rounded to a float as the field is built.
static float random_fraction(float limit) {
  return static_cast<float>(rand15() / 32767.0 * limit);
}

void build_star_field() {
  scene_record& s = scene_state;
  for (int i = 0; i < star_count; ++i) {
    for (int axis = 0; axis < 3; ++axis) {
      float a = random_fraction(s.star_spread);
      float b = random_fraction(s.star_spread);
      s.star_position[i][axis] = -1.0f * a + 1.0f * b;
    }
    float scale = random_fraction(1.0f);
    s.star_scale[i][0] = s.star_scale[i][1] = s.star_scale[i][2] = scale;
  }
}

void scene_init() {
  scene_record& s = scene_state;
  gl_report_driver();
  read_config_flag("./basic.config", "FullScreen", &s.full_screen);
  if (s.full_screen) {
    if (full_screen_hook) full_screen_hook();
    s.full_screen = false;
  }
  glClearColor(0, 0, 0, 0);
  glShadeModel(GL_SMOOTH);
  glEnable(GL_BLEND);
  glEnable(GL_NORMALIZE);
  glEnable(GL_LIGHTING);

  const GLfloat light_position[] = {0.0f, 1.0f, 0.0f, 0.0f};
  const GLfloat light_ambient[] = {0.4f, 0.4f, 0.4f, 1.0f};
  const GLfloat light_diffuse[] = {0.8f, 0.8f, 0.8f, 1.0f};
  const GLfloat light_specular[] = {1.0f, 1.0f, 1.0f, 1.0f};
  glLightfv(GL_LIGHT0, GL_POSITION, light_position);
  glLightfv(GL_LIGHT0, GL_AMBIENT, light_ambient);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, light_diffuse);
  glLightfv(GL_LIGHT0, GL_SPECULAR, light_specular);
  glEnable(GL_LIGHT0);

  // The fog is configured but left off: only its parameters stay set.
  const GLfloat fog_colour[] = {1.0f, 1.0f, 1.0f, 1.0f};
  glEnable(GL_FOG);
  glFogi(GL_FOG_MODE, GL_EXP);
  glFogfv(GL_FOG_COLOR, fog_colour);
  glFogf(GL_FOG_DENSITY, 0.15f);
  glHint(GL_FOG_HINT, GL_DONT_CARE);
  glFogf(GL_FOG_START, 1.0f);
  glFogf(GL_FOG_END, 5.0f);
  glDisable(GL_FOG);

  // The sprite gets no name of its own: it keeps 0, OpenGL's default
  // texture, which the sprite pass binds for each of the 1024 sprites.
  glGenTextures(1, &s.gradient_texture.tex_name);
  glGenTextures(1, &s.title_texture.tex_name);
  s.gradient_texture.make_gradient();
  if (!s.sprite_texture.load_ppm_mipmap(asset_path("supernova.ppm"),
                                        s.sprite_texture.tex_name)) {
    fprintf(stderr, "Texture setup error. %s, %d\n", DIAG_HERE);
    exit(1);
  }
  if (!s.title_texture.load_ppm_mipmap(asset_path("Orvane.ppm"), s.title_texture.tex_name)) {
    fprintf(stderr, "Texture setup error. %s, %d\n", DIAG_HERE);
    exit(1);
  }
  build_star_field();
}

int clock_ms() {
  scene_state.clock_last = static_cast<int>(static_cast<uint32_t>(wall_clock_ms()));
  return scene_state.clock_last;
}

// Difference of two wrapping 32-bit millisecond readings.
static int ms_between(int earlier, int later) {
  return static_cast<int>(static_cast<uint32_t>(later) - static_cast<uint32_t>(earlier));
}

void fps_tick() {
  scene_record& s = scene_state;
  ++s.frame_count;
  if (s.fps_enabled == 0) return;
  if (s.fps_window_frames == 0) s.fps_window_start = clock_ms();
  if (++s.fps_window_frames < 100) return;
  s.fps_window_end = clock_ms();
  s.fps_interval = ms_between(s.fps_window_start, s.fps_window_end);
  if (s.fps_interval < 0) fprintf(stderr, "## FPS calculate error. %s, %d\n", DIAG_HERE);
  s.fps_window_frames = 0;
  // 100 frames inside one clock tick: count the window as 1 ms rather than
  // dividing by zero.
  int interval = s.fps_interval != 0 ? s.fps_interval : 1;
  double rate = 100.0 / (interval / 1000.0);
  s.fps_value = static_cast<float>(rate);
  snprintf(s.fps_text, sizeof s.fps_text, "%f FPS\n", rate);
}

int elapsed_ms() {
  scene_record& s = scene_state;
  if (s.elapsed_first_call) {
    s.elapsed_start = static_cast<int>(static_cast<uint32_t>(wall_clock_ms()));
    s.elapsed_first_call = 0;
  }
  s.elapsed_now = static_cast<int>(static_cast<uint32_t>(wall_clock_ms()));
  return ms_between(s.elapsed_start, s.elapsed_now);
}

void scene_reshape(int width, int height) {
  glViewport(0, 0, width, height);
  scene_state.window_width = width;
  scene_state.window_height = height;
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  // A window with no height (minimised) has no aspect: keep the viewport but
  // give the projection a square aspect instead of dividing by zero.
  double aspect = height > 0 ? static_cast<double>(width) / height : 1.0;
  gluPerspective(scene_state.field_of_view, aspect, 1.0, 65536.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}
