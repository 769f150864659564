// The scene timeline: which effects a frame draws, by song position.
#pragma once

// Start latches, 0.0 until first set; never cleared.
extern double zoom_start;
extern double pulse_start;
extern double strip_start;

// p is the frame's song position read as unsigned 32-bit, as a double.
void run_timeline(double p);
