// Light as WCAG 2.2 defines it: each 8-bit sRGB component decoded to linear
// (0..1), relative luminance 0.2126 R + 0.7152 G + 0.0722 B of them.
#pragma once
#include <cstdint>

// Linear value (0..1) of an 8-bit sRGB component; the table holds all 256.
float linear_of_srgb(uint8_t component);
const float* linear_srgb_table();
// Relative luminance (0..1) of linear R, G, B.
double relative_luminance(double r, double g, double b);
// (R - G - B) x 320 of linear R, G, B, negative values taken as 0: 0..320.
double red_value(double r, double g, double b);
// Whether linear R, G, B is a saturated red: R / (R + G + B) >= 0.8.
bool saturated_red(double r, double g, double b);
