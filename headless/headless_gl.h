// OpenGL without a display, for the capture tool and the tests: a
// compatibility-profile (or OpenGL ES 2.0) context on Mesa's surfaceless EGL
// platform rendering into a pbuffer, so no X server is needed.
#pragma once
#include <string>

enum class HeadlessApi { desktop_gl, es2 };

// Makes current a context rendering into a width x height RGBA8 pbuffer with
// a 24-bit depth buffer, with the viewport on the whole pbuffer. The display
// and context are made once per process, of the api of the first call; a
// later call replaces only the pbuffer. False with a reason in error.
bool make_headless_context(int width, int height, std::string* error, HeadlessApi api = HeadlessApi::desktop_gl);

// The driver's own entry point of that name, for a program whose gl...
// symbols are our fixed-function layer's.
void* headless_gl_function(const char* name);
