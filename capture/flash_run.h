// periodica-capture --flashes: the frames of the span drawn as a capture
// draws them, and handed to the flash analysis instead of being kept.
#pragma once
#include "capture/capture_options.h"

// Runs on the current context (the options' size, the demo started). Writes
// out_dir/flashes.txt and flashes.svg and prints the report. Returns the exit
// status: 0 both forms pass, 3 a form fails, 1 the run failed (after a
// one-line message on standard error).
int run_flash_check(const CaptureOptions& options);
