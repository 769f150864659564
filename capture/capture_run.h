// The capture's frame loop: simulated time, sound, frames and the profile.
#pragma once
#include <cstdint>
#include <string>

#include "capture/capture_options.h"

struct CaptureSummary {
    int64_t frames_drawn = 0;    // the frames looked at
    int64_t frames_stepped = 0;  // stepped unseen: only the effects that keep state, nothing drawn
    int64_t frames_written = 0;  // PNG frames, frames piped to ffmpeg, or single frames
    int32_t first_position = -1;  // of the frames written
    int32_t last_position = -1;
    uint64_t sound_samples = 0;  // in sound.wav
    bool sound_heard = false;  // a sample of sound.wav is not zero
    int over_budget_ranges = 0;  // --profile
};

// Where the frames of a span go instead of PNG files or --mp4's ffmpeg:
// take gets each frame as glReadPixels gives it (the options' width x
// height, RGBA, bottom row first) with its song position; false stops the
// capture, with *reason saying why.
struct FrameSink {
    bool (*take)(void* context, const uint8_t* rgba, int32_t position, std::string* reason);
    void* context;
};

// Draws the show from its first row, frame by frame, as options ask, writing
// into options.out_dir. The demo must be started up already (textures,
// module, offline sound device). Returns the exit status: 0, or 1 after a
// message on standard error.
int run_capture(const CaptureOptions& options, CaptureSummary* summary, const FrameSink* sink = nullptr);
