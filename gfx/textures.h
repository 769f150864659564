// The texture set and the one loading step of start-up.
#pragma once
#include <GL/gl.h>
#include <cstddef>
#include <cstdint>

constexpr int kTextureCount = 8;
constexpr size_t kModuleBufferSize = 300000;
constexpr int kDiscSize = 256;

// 0..6 pictures (velmor, tandro, quillet, brasko, orvane, pimsel, dorrin),
// 7 the procedural disc.
extern GLuint textures[kTextureCount];
extern uint8_t module_buffer[kModuleBufferSize];
extern uint8_t disc_pixels[kDiscSize * kDiscSize * 4];

// Textures, module file, device menu, module load, effect clears.
// 1 on success, 0 when the module file can't be opened.
int load_resources();
// The steps of load_resources, for tools that start up without the menu:
// the eight textures drawn once; the module file into module_buffer (1, or 0
// when it can't be opened); pt_load (its refusal reported on standard error)
// and the clears of the tube and the scalar field.
void load_textures();
int read_module_file(const char* path);
void load_song_and_effects();
constexpr const char* kModulePath = "data/zentaro.mod";

// Decodes a JPEG into a malloc'ed top-down RGB buffer of (height + 1) rows;
// null when the file can't be opened or claims an absurd size.
uint8_t* load_jpeg(const char* path, uint32_t* width, uint32_t* height);
// Fills disc_pixels: white, opaque inside truncated distance 120 of (128, 128).
void build_disc();
