// The benchmark program's one freeglut window and scene, shared by all
// benchmarks (run under Xvfb with a screen of at least 1920 x 1080).
#pragma once

#include <string>

// Sizes the window (and the scene's viewport and projection) and waits
// until the window system agrees. Returns false if it never does.
bool bench_window_size(int width, int height);

// A folder for the benchmark's files, removed at exit.
const std::string& bench_temp_dir();
