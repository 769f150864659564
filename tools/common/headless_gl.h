// OpenGL without a display, for the capture tool and the tests: a
// compatibility-profile context on Mesa's surfaceless EGL platform rendering
// into a pbuffer, so no X server is needed.
#pragma once
#include <string>

// Makes current a context rendering into a width x height RGBA8 pbuffer with
// a 24-bit depth buffer, with the viewport on the whole pbuffer. The display
// and context are made once per process; a later call replaces only the
// pbuffer. False with a reason in error.
bool make_headless_context(int width, int height, std::string* error);
