// The nebula scene: the process-wide scene record, its set-up, the settings
// reader, frame drawing, the frame-rate meter and the projection.
#pragma once

#include <cstdint>

#include "gl_headers.h"
#include "qxtexture.h"

constexpr int star_count = 1024;
constexpr int material_floats = 13;

struct scene_record {
  // Window, context and media (the saver's event handler writes these).
  int window_width = 640;
  int window_height = 360;
  float field_of_view = 90.0f;
  int client_width = 0;
  int client_height = 0;
  void* device_context = nullptr;
  void* render_context = nullptr;
  void* media_window = nullptr;
  int media_end = 0;
  int media_position = 0;

  // Camera and world transform, applied in this order.
  float camera_angle[3] = {0.0f, 0.0f, 0.0f};
  float world_scale[3] = {1.0f, 1.0f, 1.0f};
  float world_offset[3] = {0.0f, 0.0f, 0.0f};
  float cloud_pitch = 0.0f;
  float cloud_yaw = 1.0f;
  float cloud_roll = 0.0f;

  // Switches.
  bool full_screen = false;
  int fps_enabled = 1;
  int show_axes = 0;
  int show_gradient = 0;

  // Star field.
  float star_spread = 8.0f;
  float star_position[star_count][3] = {};
  float star_scale[star_count][3] = {};

  // Frame counter, frame-rate meter and clocks.
  int frame_count = 0;
  int fps_window_frames = 0;
  int fps_window_start = 0;
  int fps_window_end = 0;
  int fps_interval = 0;
  float fps_value = 0.0f;
  char fps_text[260] = {};
  int clock_last = 0;
  int elapsed_start = 0;
  int elapsed_now = 0;
  int elapsed_first_call = 1;

  // Textures, constructed in this order at program start.
  qxtexture gradient_texture;
  qxtexture sprite_texture;
  qxtexture title_texture;

  float axis_materials[3][material_floats] = {
      {0.4f, 0.4f, 0.4f, 1.0f, 1.0f, 0.0f, 0.0f, 1.0f, 1.0f, 0.0f, 0.0f, 1.0f, 1.0f},
      {0.4f, 0.4f, 0.4f, 1.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f, 1.0f, 1.0f},
      {0.4f, 0.4f, 0.4f, 1.0f, 0.0f, 0.0f, 1.0f, 1.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f},
  };

  // Developer tools' drag state.
  int drag_last_x = 0;
  int drag_last_y = 0;
  bool drag_zoom = false;
  bool drag_pan = false;
};

extern scene_record scene_state;

// What the "FullScreen" setting asks of the embedding program; null does nothing.
extern void (*full_screen_hook)();

// Where the pictures and the tune live: the fixed install folder on Windows,
// elsewhere $ORVANE_DATA_DIR or the installed data folder. Returns a static
// buffer holding folder + "/" + name.
const char* asset_path(const char* name);

// Milliseconds since 1970 as the wall clock reads them; tests replace it.
extern int64_t (*wall_clock_ms)();
int64_t system_wall_clock_ms();

void scene_init();
void gl_report_driver();
void build_star_field();

int read_config_flag(const char* path, const char* key, bool* flag);
int read_config_int(const char* path, const char* key, int* value);
int read_config_string(const char* path, const char* key, char* text);

void scene_draw();
// Binds a 2-D texture and sets the four parameters every bind sets again.
void bind_with_parameters(GLuint name, GLint wrap, GLint min_filter);
void draw_sprite_quad();

// The steps of scene_draw that a vertex-array reference of the frame shares:
// the cleared frame at eye distance, the title backdrop (drawn with the given
// square), the camera and world transform, and the cloud frame with the
// sprites' texture environment (entering it steps cloud_pitch).
void scene_frame_begin();
void draw_title_backdrop(void (*draw_square)());
void apply_camera();
void enter_cloud_frame();
void leave_cloud_frame();
void draw_axes();
void draw_arrow(double length, double shaft_radius, double head_radius, double head_length,
                double segments);

void fps_tick();
int clock_ms();
int elapsed_ms();

void scene_reshape(int width, int height);
