// PNG frames: 8-bit RGB, no time stamp or other varying chunk, so equal
// pictures give byte-identical files.
#pragma once
#include <cstdint>
#include <string>

// rgba holds width x height pixels as glReadPixels returns them (bottom row
// first, 4 bytes each); the file is written top row first and drops alpha.
// False with a reason in error.
bool write_png_frame(const char* path, const uint8_t* rgba, int width, int height, std::string* error);
