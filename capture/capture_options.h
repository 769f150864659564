// Command line of periodica-capture.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "offline/frame_target.h"
#include "offline/offline_step.h"

struct CaptureOptions {
    std::string out_dir;     // empty: no files (allowed only with --profile)
    std::string data_dir;    // empty: data/ under the working directory
    int fps = kOfflineFps;   // 1..240
    int32_t from = kFirstShowPosition;
    int32_t to = kLastShowPosition;
    int width = 1024;        // 16..8192
    int height = 768;        // 16..8192
    std::vector<FrameTarget> frames_at;  // --frames-at, then --chapters' stills
    bool chapters = false;      // out_dir/chapters.json and a still per section
    bool mp4 = false;
    bool profile = false;
    bool es = false;            // draw through the fixed-function layer on OpenGL ES
    bool publish = false;       // out_dir/periodica.mp4, ready to upload
    int publish_width = 1920;   // --size: the published frame, even, 32..8192
    int publish_height = 1080;
    int supersample = 2;        // 1..8: rendered at this many times the picture size
    bool flashes = false;        // out_dir/flashes.txt and flashes.svg: the frames' flashes, no frames kept
    bool allow_flashes = false;  // --publish even when the video fails the broadcast flash limit

    bool help = false;
};

// Fills options from argv. Returns false with a one-line reason in error.
bool parse_capture_options(int argc, char** argv, CaptureOptions* options, std::string* error);
// "POS[@SECONDS],..." into targets; false with a reason in error.
bool parse_frame_targets(const char* text, std::vector<FrameTarget>* targets, std::string* error);
const char* capture_usage();
// The file a single frame is written to in the output directory:
// at_POS.png, or at_POS+SECONDSs.png after some seconds.
std::string frame_target_name(const FrameTarget& target);
