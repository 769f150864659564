// The capture's OpenGL: a compatibility-profile context on Mesa's
// surfaceless EGL platform with a pbuffer, so no X server or display.
#pragma once
#include <string>

// Makes current a context rendering into a width x height RGBA8 pbuffer with
// a 24-bit depth buffer. False with a reason in error.
bool create_capture_context(int width, int height, std::string* error);
