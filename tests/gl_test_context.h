// A headless OpenGL compatibility context for tests: EGL on Mesa's
// surfaceless platform with a pbuffer, so no X server is needed.
#pragma once
#include <GL/gl.h>
#include <cstdint>
#include <vector>

// Creates (once per process) and makes current a context whose pbuffer is
// width x height with RGBA8 and a 24-bit depth buffer. Returns false, with a
// message on standard error, when EGL can't provide one.
bool make_gl_test_context(int width = 64, int height = 48);

// Reads the whole colour buffer as RGBA bytes, bottom row first.
std::vector<uint8_t> read_rgba(int width, int height);

// The n values of a piece of GL state (colour 4, matrix 16, viewport 4).
std::vector<float> gl_floats(GLenum name, int n);

// Runs draw in GL_FEEDBACK mode (GL_3D_COLOR_TEXTURE) and returns the raw
// feedback buffer (tokens and values).
std::vector<float> capture_feedback(void (*draw)(), int capacity = 1 << 20);

// Splits a feedback buffer into polygons, or into line segments (two
// vertices each): window position, colour and texture coordinates.
struct FeedbackVertex { float x, y, z; float r, g, b, a; float s, t; };
std::vector<std::vector<FeedbackVertex>> feedback_polygons(const std::vector<float>& buffer);
std::vector<std::vector<FeedbackVertex>> feedback_lines(const std::vector<float>& buffer);
