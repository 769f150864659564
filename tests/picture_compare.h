// Pictures compared as people see them: how many pixels differ by more than
// a number of levels in any channel.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Pixels (RGBA, 4 bytes each) where some colour channel of a and b differs
// by more than levels. The pictures must be the same size.
int pixels_over(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, int levels);

// A PNG file as RGBA rows, top row first; empty when it can't be read.
std::vector<uint8_t> read_png_rgba(const std::string& path, int* width, int* height);
