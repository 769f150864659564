// Image, colour, random and noise helpers shared by the painters.
#include <cmath>
#include <cstddef>

#include "tools/pictures/pictures_image.h"

Image make_image(int width, int height)
{
    Image image;
    image.width = width;
    image.height = height;
    image.rgb.assign(static_cast<size_t>(width) * height * 3, 0);
    return image;
}

static uint8_t to_byte(float v)
{
    // Round to nearest; NaN falls to 0 through the first test.
    if (!(v > 0.0f)) return 0;
    if (v >= 1.0f) return 255;
    return static_cast<uint8_t>(v * 255.0f + 0.5f);
}

void put_pixel(Image& image, int x, int y, Colour c)
{
    if (x < 0 || y < 0 || x >= image.width || y >= image.height) return;
    uint8_t* p = &image.rgb[(static_cast<size_t>(y) * image.width + x) * 3];
    p[0] = to_byte(c.r);
    p[1] = to_byte(c.g);
    p[2] = to_byte(c.b);
}

Colour get_pixel(const Image& image, int x, int y)
{
    if (x < 0 || y < 0 || x >= image.width || y >= image.height) return {};
    const uint8_t* p = &image.rgb[(static_cast<size_t>(y) * image.width + x) * 3];
    return {p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f};
}

Colour rgb(float r, float g, float b) { return {r, g, b}; }
Colour add(Colour a, Colour b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
Colour scale(Colour c, float k) { return {c.r * k, c.g * k, c.b * k}; }
Colour mix(Colour a, Colour b, float t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

float clamp01(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }

float smoothstep(float edge0, float edge1, float x)
{
    const float t = clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3.0f - 2.0f * t);
}

Colour cosine_palette(float t, Colour a, Colour b, Colour c, Colour d)
{
    constexpr float kTwoPi = 6.28318530718f;
    return {a.r + b.r * std::cos(kTwoPi * (c.r * t + d.r)),
            a.g + b.g * std::cos(kTwoPi * (c.g * t + d.g)),
            a.b + b.b * std::cos(kTwoPi * (c.b * t + d.b))};
}

Rng rng_seeded(uint64_t seed) { return Rng{seed}; }

uint64_t rng_next(Rng& rng)
{
    uint64_t z = (rng.state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

float rng_unit(Rng& rng)
{
    // The top 24 bits give every float in [0, 1) with step 2^-24.
    return static_cast<float>(rng_next(rng) >> 40) * (1.0f / 16777216.0f);
}

// Lattice value in [0, 1] at integer point (ix, iy), wrapped to period 256.
static float lattice(int ix, int iy, uint32_t seed)
{
    uint32_t h = static_cast<uint32_t>(ix & 255) * 374761393u + static_cast<uint32_t>(iy & 255) * 668265263u +
                 seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return static_cast<float>(h & 0xFFFFFF) * (1.0f / 16777215.0f);
}

float value_noise(float x, float y, uint32_t seed)
{
    const float fx = std::floor(x);
    const float fy = std::floor(y);
    const int ix = static_cast<int>(fx);
    const int iy = static_cast<int>(fy);
    const float tx = smoothstep(0.0f, 1.0f, x - fx);
    const float ty = smoothstep(0.0f, 1.0f, y - fy);
    const float top = lattice(ix, iy, seed) + (lattice(ix + 1, iy, seed) - lattice(ix, iy, seed)) * tx;
    const float bottom =
        lattice(ix, iy + 1, seed) + (lattice(ix + 1, iy + 1, seed) - lattice(ix, iy + 1, seed)) * tx;
    return top + (bottom - top) * ty;
}

float fbm(float x, float y, int octaves, uint32_t seed)
{
    float sum = 0.0f;
    float amplitude = 0.5f;
    float total = 0.0f;
    for (int i = 0; i < octaves; ++i) {
        sum += value_noise(x, y, seed + static_cast<uint32_t>(i) * 101u) * amplitude;
        total += amplitude;
        x *= 2.0f;
        y *= 2.0f;
        amplitude *= 0.5f;
    }
    // Normalised so that the result stays in [0, 1] for any octave count.
    return total > 0.0f ? sum / total : 0.0f;
}

// Rows top to bottom, '#' set. Index 0..25 = 'A'..'Z'.
static const char* const kGlyphs[26][kGlyphHeight] = {
    {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"},  // A
    {"####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."},  // B
    {".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."},  // C
    {"####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."},  // D
    {"#####", "#....", "#....", "####.", "#....", "#....", "#####"},  // E
    {"#####", "#....", "#....", "####.", "#....", "#....", "#...."},  // F
    {".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".####"},  // G
    {"#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"},  // H
    {".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."},  // I
    {"..###", "...#.", "...#.", "...#.", "...#.", "#..#.", ".##.."},  // J
    {"#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"},  // K
    {"#....", "#....", "#....", "#....", "#....", "#....", "#####"},  // L
    {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"},  // M
    {"#...#", "#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#"},  // N
    {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."},  // O
    {"####.", "#...#", "#...#", "####.", "#....", "#....", "#...."},  // P
    {".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"},  // Q
    {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"},  // R
    {".####", "#....", "#....", ".###.", "....#", "....#", "####."},  // S
    {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."},  // T
    {"#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."},  // U
    {"#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."},  // V
    {"#...#", "#...#", "#...#", "#.#.#", "#.#.#", "#.#.#", ".#.#."},  // W
    {"#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"},  // X
    {"#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.."},  // Y
    {"#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"},  // Z
};

int glyph_bit(char ch, int column, int row)
{
    if (ch < 'A' || ch > 'Z') return 0;
    if (column < 0 || column >= kGlyphWidth || row < 0 || row >= kGlyphHeight) return 0;
    return kGlyphs[ch - 'A'][row][column] == '#' ? 1 : 0;
}

int text_width(const char* text)
{
    int count = 0;
    while (text[count] != '\0') ++count;
    return count == 0 ? 0 : count * kGlyphAdvance - (kGlyphAdvance - kGlyphWidth);
}

int text_covers(const char* text, int cell, int x, int y)
{
    if (cell <= 0 || x < 0 || y < 0) return 0;
    const int fx = x / cell;
    const int fy = y / cell;
    const int index = fx / kGlyphAdvance;
    for (int i = 0; i <= index; ++i)
        if (text[i] == '\0') return 0;
    return glyph_bit(text[index], fx % kGlyphAdvance, fy);
}
