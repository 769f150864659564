// Pictures compared as people see them: how many pixels differ by more than
// a number of levels in any channel.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Pixels (RGBA, 4 bytes each) where some colour channel of a and b differs
// by more than levels. The pictures must be the same size.
int pixels_over(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, int levels);

// Share of the pixels of two PNG files where some channel differs by more
// than 24 levels; 1 when a picture is missing or the sizes differ.
double share_over_24_levels(const std::string& path, const std::string& reference_path);

// A PNG file as RGBA rows, top row first; empty when it can't be read.
std::vector<uint8_t> read_png_rgba(const std::string& path, int* width, int* height);
