// The texture set: the seven pictures and the procedural disc.
#pragma once
#include <GL/gl.h>
#include <cstddef>
#include <cstdint>

constexpr int kTextureCount = 8;
constexpr int kDiscSize = 256;

// 0..6 pictures (velmor, tandro, quillet, brasko, orvane, pimsel, dorrin),
// 7 the procedural disc.
extern GLuint textures[kTextureCount];
extern uint8_t disc_pixels[kDiscSize * kDiscSize * 4];

// Generates the eight texture names and uploads the pictures from data/ (a
// checker with a warning line for one that can't be read) and the disc, then
// draws each once so the first frame finds them ready.
void load_textures();
// The same from another directory (no trailing slash): DIR/velmor.jpg and so on.
void load_textures_from(const char* data_dir);

// Decodes a JPEG into a malloc'ed top-down RGB buffer of (height + 1) rows;
// null when the file can't be opened or claims an absurd size, and then the
// width and height are left as they were.
uint8_t* load_jpeg(const char* path, uint32_t* width, uint32_t* height);
// Fills disc_pixels: white, opaque inside truncated distance 120 of (128, 128).
void build_disc();
