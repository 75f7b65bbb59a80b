// A real OpenGL context for the tests: one freeglut window per test program,
// made current before the first test runs (run the tests under Xvfb).
#pragma once

#include <functional>
#include <string>

// Runs GLUT's event loop until done() holds or a generous deadline passes;
// returns done()'s last answer. Waits for the event rather than for a time,
// so a loaded machine only makes it slower, never wrong.
bool pump_until(const std::function<bool()>& done, int deadline_ms = 20000);

// Puts back the plain drawing state the drawing tests start from: identity
// model-view, no lighting, texturing, normalising, culling, depth test or
// blending, white colour and a +z normal.
void reset_drawing_state();

// Resizes the test window and waits until GLUT reports the new size.
void resize_test_window(int width, int height);

// Captures what the program writes to a standard stream while it lives.
class stream_capture {
 public:
  explicit stream_capture(int fd);  // 1 or 2
  ~stream_capture();
  std::string text();  // stops capturing on first call and returns all text
 private:
  int fd_;
  int saved_fd_;
  std::string path_;
  bool done_ = false;
  std::string text_;
};

// A fresh, empty temporary folder, removed with its files when the object goes.
class temp_dir {
 public:
  temp_dir();
  ~temp_dir();
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
 private:
  std::string path_;
};

std::string read_file_bytes(const std::string& path);
void write_file_bytes(const std::string& path, const std::string& bytes);
