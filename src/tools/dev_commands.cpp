#include "tools/dev_commands.h"

#include <GL/freeglut.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "main.h"
#include "qxdump.h"

void (*dev_quit_hook)() = nullptr;

namespace {

void toggle_full_screen() {
  glFinish();
  if (scene_state.full_screen) {
    glutFullScreen();
    scene_state.full_screen = false;
  } else {
    // Set at once so drags use the new size before GLUT reports it.
    scene_state.window_width = 640;
    scene_state.window_height = 360;
    glutReshapeWindow(scene_state.window_width, scene_state.window_height);
    glutPositionWindow(0, 64);
    scene_state.full_screen = true;
  }
  glFinish();
}

}  // namespace

void dev_key_command(unsigned char key) {
  char name[260];
  switch (key) {
    case 27:
    case 'Q':
    case 'q':
      if (dev_quit_hook) {
        dev_quit_hook();
      } else {
        exit(0);
      }
      return;
    case 'b':
      snprintf(name, sizeof name, "frame_%08d.bmp", scene_state.frame_count);
      save_frame_bmp(name);
      break;
    case 'f':
      toggle_full_screen();
      break;
    case 'g':
      snprintf(name, sizeof name, "frame_%08d.ppm", scene_state.frame_count);
      dump_frame_ppm(name, 3);
      // "histgram": the file name people's scripts already look for; keep it.
      snprintf(name, sizeof name, "frame_histgram_%08d.ppm", scene_state.frame_count);
      dump_histogram_ppm(name);
      break;
    case 'p':
      scene_state.fps_enabled = scene_state.fps_enabled ? 0 : 1;
      break;
    default:
      break;
  }
  glutPostRedisplay();
}

void dev_pointer_drag(int x, int y) {
  const int width = scene_state.window_width;
  const int height = scene_state.window_height;
  // A zero-sized window gives no scale for the amounts: just follow the pointer.
  if (width > 0 && height > 0) {
    const int dx = x - scene_state.drag_last_x;
    const int dy = y - scene_state.drag_last_y;
    if (scene_state.drag_zoom) {
      // Upward drag zooms in: half the window height doubles the scale.
      const double factor = 2.0 * -dy / height + 1.0;
      for (float& s : scene_state.world_scale) s = static_cast<float>(s * factor);
    } else if (scene_state.drag_pan) {
      scene_state.world_offset[0] =
          static_cast<float>(scene_state.world_offset[0] + -dx * 32.0 / width);
      scene_state.world_offset[1] =
          static_cast<float>(scene_state.world_offset[1] + -dy * 32.0 / height);
    } else {
      // The near side of the cloud follows the pointer: up and down turn about
      // x (window y grows downwards, and so does the near side as pitch grows),
      // sideways about the cloud's own y, which the pitch may have turned
      // upside down on the screen.
      const double yaw_sense = std::cos(scene_state.cloud_pitch * M_PI / 180.0) < 0.0 ? -1.0 : 1.0;
      scene_state.cloud_yaw =
          static_cast<float>(scene_state.cloud_yaw + yaw_sense * dx * 128.0 / width);
      scene_state.cloud_pitch = static_cast<float>(scene_state.cloud_pitch + dy * 128.0 / height);
    }
  }
  scene_state.drag_last_x = x;
  scene_state.drag_last_y = y;
  glutPostRedisplay();
}
