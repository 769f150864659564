// The flash analysis's report and picture, written into a directory as
// flashes.txt and flashes.svg (by --flashes, and by --publish beside the
// video).
#pragma once
#include <string>

#include "flash_analysis/flash_frames.h"
#include "flash_analysis/flash_summary.h"

// False with a one-line reason in *error when a file can't be written.
bool write_flash_files(const std::string& dir, const FlashAnalysis& analysis, const FlashSummary& summary,
                       std::string* error);
