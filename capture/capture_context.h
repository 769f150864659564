// The capture's headless GL, which differs between its two builds:
// periodica-capture draws with OpenGL 1.x, periodica-capture-es through our
// fixed-function layer on OpenGL ES 2.0.
#pragma once
#include <string>

// True in periodica-capture-es.
extern const bool kCaptureDrawsThroughLayer;

// Makes current a headless context with a width x height picture and the
// viewport on all of it. A later call replaces only the picture. False with
// a reason in error.
bool make_capture_context(int width, int height, std::string* error);
// On: nothing drawn reaches the picture, every state set is kept; for the
// frames stepped unseen.
void hide_capture_drawing(bool hidden);
