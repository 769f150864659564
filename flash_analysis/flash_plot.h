// The flash analysis as a picture: flashes per second (the window ending at
// each moment) along the run's time in both forms, the limit of three drawn
// across, each section's start marked and named. An SVG document.
#pragma once
#include <string>

#include "flash_analysis/flash_frames.h"

std::string flash_plot_svg(const FlashAnalysis& analysis);
