// periodica-capture --publish: the show rendered at the supersampled size by
// the capture's frame loop, filtered down and letterboxed, encoded, its sound
// loudness-normalised, muxed with chapters into DIR/periodica.mp4.
#pragma once
#include "capture/capture_options.h"
#include "capture/publish_picture.h"

// The layout options ask for; the render size goes into options->width and
// height, which the OpenGL context and the frame loop use.
PublishLayout publish_prepare(CaptureOptions* options);
// Runs the whole publish on the current context (made at the render size,
// the demo started). Prints progress on standard error, the summary on
// standard output. Returns the exit status: 0, or 1 after a one-line message.
int run_publish(const CaptureOptions& options, const PublishLayout& layout);
