// Dynamic resolution: how much of the device's pixels the show draws, chosen
// from how the animation frames keep time. Where the GPU can't keep up, the
// drawing buffer shrinks (the picture keeps its size on the page, and the
// browser scales it up); where frames have had room for a while, it grows
// again.
//
// The scale is linear: the drawing buffer is scale * the device's pixels
// across and down. It is one of a few fixed steps from 1 down to a floor,
// changes at most about once a second, and a step up that brings late
// frames is taken back and tried again only after a longer wait each time,
// so it settles.
#pragma once

// Starts afresh at full scale for a device whose full drawing buffer has
// device_lines lines: the floor keeps at least kFewestLines of them (all of
// them where the device has fewer).
constexpr int kFewestLines = 384;
void draw_scale_reset(int device_lines);

// Takes the interval between the last two drawn animation frames, in
// milliseconds, and returns the scale to draw the next one at (0 < scale
// <= 1). Intervals of a stall (the page hidden, a long pause) are not
// counted.
double draw_scale_frame(double interval_ms);

// The scale of the moment, as draw_scale_frame last returned it.
double draw_scale();
