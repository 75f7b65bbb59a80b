// The developer viewer: the nebula scene in a freeglut window.
#include <GL/freeglut.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "main.h"
#include "orvane_version.h"
#include "qxdump.h"
#include "viewer_input.h"
#include "viewer_options.h"
#include "viewer_scenes.h"

namespace {

viewer_options options;
long frames_drawn = 0;
bool capture_failed = false;

// Resident memory as the kernel counts it, for long runs that look for growth.
void report_rss() {
  FILE* status = fopen("/proc/self/status", "r");
  char line[256];
  while (status && fgets(line, sizeof line, status)) {
    long kb;
    if (sscanf(line, "VmRSS: %ld kB", &kb) == 1) {
      printf("orvane-viewer: frame %ld resident %ld kB\n", frames_drawn, kb);
      break;
    }
  }
  if (status) fclose(status);
  fflush(stdout);
}

void draw_frame() {
  fps_tick();
  if (options.gallery)
    gallery_draw();
  else if (options.logo)
    logo_draw();
  else
    scene_draw();
  if (options.show_fps) draw_fps_overlay();
  ++frames_drawn;
  bool last = options.frames >= 0 && frames_drawn >= options.frames;
  // The back buffer is what we drew; read it before the swap hands it away.
  if (last && !options.capture.empty() && !dump_frame_ppm(options.capture.c_str(), 3))
    capture_failed = true;
  // A frame of the series named as the g key names it, so each file says its frame.
  if (options.capture_from >= 0 && frames_drawn >= options.capture_from) {
    // Not on the stack: with a stack array here, every frame would take a
    // frame of the sanitizers' fake stack, a megabyte step the soak reads as
    // growth.
    static char name[64];
    snprintf(name, sizeof name, "frame_%08d.ppm", scene_state.frame_count);
    if (!dump_frame_ppm(name, 3)) {
      fprintf(stderr, "orvane-viewer: frame %ld could not be written to %s\n", frames_drawn, name);
      exit(1);
    }
  }
  run_pending_captures();
  glutSwapBuffers();
  if (options.report_rss && (frames_drawn == 1000 || last)) report_rss();
  if (last) glutLeaveMainLoop();
}

void on_timer(int) {
  glutPostRedisplay();
  glutTimerFunc(1, on_timer, 0);
}

void enter_full_screen() { glutFullScreen(); }

}  // namespace

int main(int argc, char** argv) {
  // Options first: --help and a usage error need no display.
  std::string error;
  if (!parse_viewer_options(argc, argv, &options, &error)) {
    fprintf(stderr, "orvane-viewer: %s\n%s", error.c_str(), viewer_usage());
    return 2;
  }
  if (options.help) {
    fputs(viewer_usage(), stdout);
    return 0;
  }
  if (options.version) {
    printf("orvane-viewer %s\n", ORVANE_VERSION);
    return 0;
  }
  if (options.frames == 0) return 0;
  int glut_argc = 1;
  glutInit(&glut_argc, argv);

  glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
  glutInitWindowSize(options.width, options.height);
  glutCreateWindow("Orvane");
  glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_GLUTMAINLOOP_RETURNS);

  srand(options.seeded ? options.seed : static_cast<unsigned>(time(nullptr)));
  full_screen_hook = enter_full_screen;
  scene_init();
  void (*reshape)(int, int) = scene_reshape;
  if (options.gallery) {
    gallery_init();
    reshape = gallery_reshape;
  } else if (options.logo) {
    logo_init();
    reshape = logo_reshape;
  }
  reshape(options.width, options.height);

  glutDisplayFunc(draw_frame);
  glutReshapeFunc(reshape);
  install_viewer_input();
  glutTimerFunc(1, on_timer, 0);
  glutMainLoop();
  fflush(stdout);
  if (capture_failed) {
    fprintf(stderr, "orvane-viewer: the last frame could not be written to %s\n",
            options.capture.c_str());
    return 1;
  }
  return 0;
}
