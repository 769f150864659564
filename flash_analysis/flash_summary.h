// What the windows of a run come to: each form's worst second, over the
// run and in each section of the show, its verdict and its stretches of
// extended flashing. Counts are changes; a flash is two.
#pragma once
#include <cstdint>
#include <vector>

#include "app/sections.h"
#include "flash_analysis/flash_frames.h"

// The frames in a one-second window at fps.
int flash_window_frames(int fps);
// Whether a window's count of changes is over the limit of three flashes.
bool flash_changes_fail(int changes);
// A window's count in a form: general or red, whichever is more (*kind says which).
int flash_window_changes(const FlashWindow& window, int form, int* kind);

struct FlashWorst {
    int changes = 0;
    int kind = kGeneralFlash;
    int64_t last_frame = -1;  // the window's last frame (from the run's first); -1: no frame
};

// A stretch of extended flashing: the last frames of its first and last
// windows, and the seconds between (both included).
struct FlashStretch {
    int64_t first_frame, last_frame;
    double seconds;
};

struct FlashSummary {
    int fps = 0;
    int64_t frames = 0;
    FlashWorst worst[kFlashFormCount];
    FlashWorst section_worst[kSectionCount][kFlashFormCount];  // by the section of each window's last frame
    bool passes[kFlashFormCount] = {true, true};
    std::vector<FlashStretch> extended[kFlashFormCount];
};

FlashSummary summarise_flashes(const std::vector<FlashWindow>& windows, int fps);

// The first frame of the window ending at last_frame (0 at the run's start).
int64_t flash_window_first_frame(int64_t last_frame, int fps);
