#include "capture/capture_context.h"

#include "headless/headless_gl.h"

const bool kCaptureDrawsThroughLayer = false;

bool make_capture_context(int width, int height, std::string* error)
{
    return make_headless_context(width, height, error);
}
