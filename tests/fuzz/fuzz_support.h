// Shared pieces of the fuzz targets: the input as a file on disk, and an
// off-screen OpenGL context for the loaders.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// One temporary file per process, rewritten with each input. Returns its path.
const char* input_file(const uint8_t* data, size_t size);

// Makes a GLX pbuffer context current on $DISPLAY (run under Xvfb); aborts
// with a message when there is none, since every input would be meaningless.
void make_offscreen_gl_context();
