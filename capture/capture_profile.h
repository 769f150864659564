// Frame times per range of the scene timeline, for --profile.
#pragma once
#include <cstdint>
#include <cstdio>
#include <vector>

#include "app/sections.h"

constexpr int kProfileRanges = kSectionCount;  // one range per section of the show
constexpr double kFrameBudgetMs = 16.7;

struct ProfileRange {
    int32_t first;  // positions first..last; the last range also takes the
    int32_t last;   // closing frame past the end
    std::vector<double> milliseconds;
};

struct Profile {
    ProfileRange ranges[kProfileRanges];
};

void profile_init(Profile* profile);
// Index of the range holding position p (p >= 0).
int profile_range_of(int32_t position);
void profile_add(Profile* profile, int32_t position, double milliseconds);
// Nearest-rank percentile (0 < q <= 100) of values; 0 for none. Sorts values.
double percentile(std::vector<double>* values, double q);
// The table: range, frames, median and 99th percentile; then the ranges
// over the budget. Returns how many ranges are over it.
int print_profile(Profile* profile, int width, int height, FILE* out);
