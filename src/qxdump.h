// Frame capture for the developer: the current window as a binary PPM or a
// 24-bit BMP file, and its colour histograms as a 256 x 256 PPM picture.
// Every operation reads the current context's read buffer and keeps no state;
// progress goes to standard output, failures to standard error.
#pragma once

#include <cstdint>
#include <cstdio>

// Writes the whole window as a binary PPM file. format 3 reads RGB, format 4
// reads RGBA and drops alpha; both give the same file. Other formats write
// nothing. True once the whole file is written; a failure is also reported on
// standard error.
bool dump_frame_ppm(const char* path, int format);

// Writes the whole window as an uncompressed 24-bit BMP file.
void save_frame_bmp(const char* path);

// Writes a complete BMP file of the region [x0, x1) x [y0, y1) (window pixels,
// y up) into a stream that the caller owns and closes.
void write_bmp(std::FILE* stream, int x0, int y0, int x1, int y1);

// Little-endian field writers, one byte at a time.
void put_le16(std::uint16_t value, std::FILE* stream);
void put_le32(std::uint32_t value, std::FILE* stream);

// Fills each array of 256 counts with how many window pixels carry each value
// of that channel and returns true. On failure the arrays are left as they
// were and it returns false.
bool count_colour_values(std::int32_t blue[256], std::int32_t green[256], std::int32_t red[256]);

// Writes the red, green and blue histograms of the window as bars rising from
// the bottom of a 256 x 256 binary PPM picture.
void dump_histogram_ppm(const char* path);
