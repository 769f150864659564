#include <GL/gl.h>

#include "capture/capture_context.h"
#include "fixed_function/fixed_function.h"
#include "headless/headless_gl.h"

const bool kCaptureDrawsThroughLayer = true;

bool make_capture_context(int width, int height, std::string* error)
{
    static bool layer_ready = false;
    if (!make_headless_context(width, height, error, HeadlessApi::es2)) return false;
    if (!layer_ready && !fixed_function_init(headless_gl_function, error)) return false;
    layer_ready = true;
    // The layer keeps its own copy of the viewport; a new picture size must
    // reach it too.
    glViewport(0, 0, width, height);
    return true;
}

void hide_capture_drawing(bool hidden)
{
    fixed_function_draw_nothing(hidden);
}
