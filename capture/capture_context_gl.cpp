#include "capture/capture_context.h"

#include <GL/gl.h>

#include "headless/headless_gl.h"

const bool kCaptureDrawsThroughLayer = false;

bool make_capture_context(int width, int height, std::string* error)
{
    return make_headless_context(width, height, error);
}

// An empty scissor box: the draws and clears still set every state, but no
// pixel is touched, which is what makes them cheap on a software rasteriser.
// The demo uses no scissor of its own.
void hide_capture_drawing(bool hidden)
{
    if (hidden) {
        glScissor(0, 0, 0, 0);
        glEnable(GL_SCISSOR_TEST);
    } else {
        glDisable(GL_SCISSOR_TEST);
    }
}
