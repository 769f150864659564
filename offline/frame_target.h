// A frame of the show named by its song position: POS or POS@SECONDS, the
// frame shown SECONDS after position POS (order * 100 + row) first started.
#pragma once
#include <cstdint>
#include <string>

#include "app/sections.h"

constexpr int32_t kFirstShowPosition = kSections[0].first;
constexpr int32_t kLastShowPosition = static_cast<int32_t>(kLastPosition);

struct FrameTarget {
    int32_t position;
    double seconds;  // 0..3600
};

// Empty when position can occur in the show; otherwise why it can't.
std::string position_problem(int32_t position);
// One "POS[@SECONDS]" into target; false with a one-line reason in error.
bool parse_frame_target(const std::string& text, FrameTarget* target, std::string* error);
