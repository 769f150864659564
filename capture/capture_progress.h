// A one-line progress bar on standard error, shown only on a terminal.
#pragma once
#include <cstdint>

// fraction 0..1 of the work; redrawn at most ten times a second.
void progress_show(double fraction, int32_t position, int64_t frames);
// Erases the bar (if one was drawn) so the summary starts on a clean line.
void progress_clear();
