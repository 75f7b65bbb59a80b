#include "gl_test_env.h"

#include <GL/freeglut.h>
#include <gtest/gtest.h>
#include <unistd.h>
// After gtest: the X headers define names such as None as macros.
#include <X11/Xlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

void display_nothing() {}

// An X server resets when its last client leaves and turns new clients away
// meanwhile; with test processes coming and going that happens now and then,
// and freeglut ends the process when it cannot connect. Knock until the
// server answers, and stay connected so that it cannot reset under us.
void hold_display() {
  static Display* held = nullptr;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!held && std::chrono::steady_clock::now() < deadline) {
    held = XOpenDisplay(nullptr);
    if (!held) usleep(50 * 1000);
  }
}

class gl_environment : public ::testing::Environment {
 public:
  void SetUp() override {
    int argc = 1;
    char name[] = "orvane-tests";
    char* argv[] = {name, nullptr};
    hold_display();
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(640, 360);
    glutCreateWindow("orvane tests");
    glutDisplayFunc(display_nothing);
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
    resize_test_window(640, 360);
  }
};

}  // namespace

bool pump_until(const std::function<bool()>& done, int deadline_ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(deadline_ms);
  for (;;) {
    glutMainLoopEvent();
    if (done()) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    usleep(1000);
  }
}

void reset_drawing_state() {
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  for (GLenum cap : {GL_LIGHTING, GL_TEXTURE_2D, GL_NORMALIZE, GL_CULL_FACE, GL_DEPTH_TEST, GL_BLEND})
    glDisable(cap);
  glColor4f(1, 1, 1, 1);
  glNormal3f(0, 0, 1);
}

void resize_test_window(int width, int height) {
  glutReshapeWindow(width, height);
  pump_until([&] {
    return glutGet(GLUT_WINDOW_WIDTH) == width && glutGet(GLUT_WINDOW_HEIGHT) == height;
  });
  // The driver takes the new size for its buffers at the next swap.
  glutSwapBuffers();
  glViewport(0, 0, width, height);
}

stream_capture::stream_capture(int fd) : fd_(fd) {
  char tmpl[] = "/tmp/orvane-capture-XXXXXX";
  int tmp = mkstemp(tmpl);
  path_ = tmpl;
  fflush(fd == 1 ? stdout : stderr);
  saved_fd_ = dup(fd);
  dup2(tmp, fd);
  close(tmp);
}

stream_capture::~stream_capture() { text(); }

std::string stream_capture::text() {
  if (done_) return text_;
  done_ = true;
  fflush(fd_ == 1 ? stdout : stderr);
  dup2(saved_fd_, fd_);
  close(saved_fd_);
  text_ = read_file_bytes(path_);
  std::remove(path_.c_str());
  return text_;
}

temp_dir::temp_dir() {
  char tmpl[] = "/tmp/orvane-test-XXXXXX";
  path_ = mkdtemp(tmpl);
}

temp_dir::~temp_dir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string read_file_bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void write_file_bytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new gl_environment);
  return RUN_ALL_TESTS();
}
