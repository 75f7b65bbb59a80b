#include "viewer_input.h"

#include <GL/freeglut.h>

#include <cstddef>

#include "main.h"
#include "tools/dev_commands.h"

namespace {

// Buttons now held down, one bit per GLUT button (0 left, 1 middle, 2 right).
unsigned buttons_down = 0;

// Capture keys pressed since the last frame, in order.
unsigned char pending[16];
size_t pending_count = 0;

void start_drag(int button, int x, int y) {
  scene_state.drag_zoom = button == GLUT_RIGHT_BUTTON;
  scene_state.drag_pan = button == GLUT_MIDDLE_BUTTON;
  scene_state.drag_last_x = x;
  scene_state.drag_last_y = y;
}

}  // namespace

void viewer_key(unsigned char key, int, int) {
  if (key == 'b' || key == 'g') {
    if (pending_count < sizeof pending) pending[pending_count++] = key;
    glutPostRedisplay();
    return;
  }
  dev_key_command(key);
}

void run_pending_captures() {
  for (size_t i = 0; i < pending_count; ++i) dev_key_command(pending[i]);
  pending_count = 0;
}

void viewer_mouse(int button, int state, int x, int y) {
  // Wheel steps and extra buttons arrive as buttons 3 and up: not drags.
  if (button < GLUT_LEFT_BUTTON || button > GLUT_RIGHT_BUTTON) return;
  const unsigned bit = 1u << button;
  if (state == GLUT_DOWN) {
    buttons_down |= bit;
    start_drag(button, x, y);
    return;
  }
  buttons_down &= ~bit;
  if (buttons_down == 0) {
    scene_state.drag_zoom = false;
    scene_state.drag_pan = false;
    return;
  }
  // Another button is still held: carry on with its drag from here.
  for (int b = GLUT_LEFT_BUTTON; b <= GLUT_RIGHT_BUTTON; ++b)
    if (buttons_down & (1u << b)) {
      start_drag(b, x, y);
      break;
    }
}

void viewer_motion(int x, int y) {
  if (buttons_down) dev_pointer_drag(x, y);
}

void install_viewer_input() {
  buttons_down = 0;
  dev_quit_hook = glutLeaveMainLoop;
  glutKeyboardFunc(viewer_key);
  glutMouseFunc(viewer_mouse);
  glutMotionFunc(viewer_motion);
}
