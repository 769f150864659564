// Writes small RGB JPEGs for tests.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// rgb holds height rows of width pixels, top row first. Quality 100.
bool write_test_jpeg(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb);
