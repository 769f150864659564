// Shared pieces of the picture generator: an RGB image in memory, colour and
// noise helpers, a small pixel font, the JPEG writer and the seven painters.
#pragma once
#include <cstdint>
#include <vector>

constexpr int kPictureSize = 512;
constexpr int kPictureCount = 7;

// Top-down rows, 3 bytes per pixel (R, G, B), rows packed without padding.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
};

// Linear colour, each channel nominally 0..1 (values above 1 are clipped when
// stored, so painters may add light freely).
struct Colour {
    float r = 0, g = 0, b = 0;
};

Image make_image(int width, int height);
// Stores c at (x, y) with clipping to 0..255; coordinates outside are ignored.
void put_pixel(Image& image, int x, int y, Colour c);
Colour get_pixel(const Image& image, int x, int y);

Colour rgb(float r, float g, float b);
Colour add(Colour a, Colour b);
Colour scale(Colour c, float k);
Colour mix(Colour a, Colour b, float t);
float clamp01(float v);
float smoothstep(float edge0, float edge1, float x);
// Colour from a cyclic palette a + b * cos(2 pi (c * t + d)), per channel.
Colour cosine_palette(float t, Colour a, Colour b, Colour c, Colour d);

// Small fixed-seed generator (splitmix64): the same seed gives the same
// sequence on every run and machine.
struct Rng {
    uint64_t state = 0;
};
Rng rng_seeded(uint64_t seed);
uint64_t rng_next(Rng& rng);
// Uniform in [0, 1).
float rng_unit(Rng& rng);

// Smooth value noise in [0, 1], lattice of period 256 in both axes, fixed by
// seed; fbm sums `octaves` layers, halving amplitude and doubling frequency.
float value_noise(float x, float y, uint32_t seed);
float fbm(float x, float y, int octaves, uint32_t seed);

// The built-in 5x7 capital font: letters A-Z and space. Cells are 6 wide
// (one column of spacing). glyph_bit is 1 where the glyph at column 0..4,
// row 0..6 is set, 0 elsewhere and for characters the font lacks.
constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;
constexpr int kGlyphAdvance = 6;
int glyph_bit(char ch, int column, int row);
// Width in font pixels of a text set in the font (no trailing spacing).
int text_width(const char* text);
// 1 where the text, set with its top-left at the origin and each font pixel
// `cell` image pixels wide, covers image pixel (x, y); 0 elsewhere.
int text_covers(const char* text, int cell, int x, int y);

// Writes the image as a baseline RGB JPEG; 1 on success, 0 on failure (a
// message on standard error).
int write_jpeg(const char* path, const Image& image, int quality);

// The seven pictures, each 512x512, in the texture set's order.
Image paint_plasma();        // velmor
Image paint_landscape();     // tandro
Image paint_star_flower();   // quillet, bright shape on black
Image paint_metaballs();     // brasko
Image paint_emblem();        // orvane, bright ring on black
Image paint_title();         // pimsel, the word on a nebula
Image paint_cells();         // dorrin
