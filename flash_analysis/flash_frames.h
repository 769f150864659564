// The flash analysis of a run of frames: each frame's pixels are taken in
// order, reduced to the light and red of each place, followed place by place
// for changes, and counted over the one-second window ending at the frame in
// both forms. Between frames it keeps each place's last change and which of
// the window's frames held one, never a picture.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "flash_analysis/flash_swing.h"

enum FlashForm : int {
    kWcagForm,       // over 25% of any 10° field
    kBroadcastForm,  // over a quarter of the screen
    kFlashFormCount,
};
enum FlashKind : int { kGeneralFlash, kRedFlash, kFlashKindCount };

struct FlashGeometry {
    int width = 0, height = 0;                // each frame, pixels
    double field_width = 0, field_height = 0;  // the 10° field, pixels
};

// The field for a picture that fills the frame: a third of it each way.
FlashGeometry flash_geometry_of_picture(int width, int height);
// Empty when the analysis can take frames of this geometry, else why not
// (at least 48 lines, and the field's places must fit in the frame).
std::string flash_geometry_problem(const FlashGeometry& geometry);

// The one-second window ending at a frame: changes counted in each kind and
// form (a flash is two; a form's count is the most that an area of the
// form's size went through), and the frame's song position.
struct FlashWindow {
    int16_t changes[kFlashKindCount][kFlashFormCount];
    int32_t position;
};

struct FlashAnalysis {
    FlashGeometry geometry;
    int fps = 0;
    int columns = 0, rows = 0;          // places across and down
    int field_columns = 0, field_rows = 0;  // places a field spans
    std::vector<int32_t> column_of, row_of;  // place column of each pixel column, row of each line
    std::vector<double> place_area;          // pixels of each place
    std::vector<double> sums;                // this frame: linear R, G, B summed per place
    std::vector<Swing> swings[kFlashKindCount];              // per place
    std::vector<uint8_t> changed[kFlashKindCount];           // per window frame and place: a change counted
    std::vector<int16_t> window_changes[kFlashKindCount];    // per place: changes within the window
    std::vector<double> area_integral;  // pixels of the places above and left of each place corner
    std::vector<double> integral;       // scratch: the same for the places that changed often enough
    std::vector<FlashWindow> windows;  // one per frame taken
};

// Starts an analysis of frames of this geometry (no problem, above) at fps
// (1..240) frames a second.
void flash_start(FlashAnalysis* analysis, const FlashGeometry& geometry, int fps);
// Takes the next frame: width x height pixels of channels bytes (3: RGB, 4:
// RGBA, the fourth ignored), sRGB, rows packed, top or bottom first; appends
// its window to analysis->windows.
void flash_take_frame(FlashAnalysis* analysis, const uint8_t* pixels, int channels, int32_t position);
