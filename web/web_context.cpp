#include <GL/gl.h>
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>
#include <emscripten/html5_webgl.h>

#include <cstdio>

#include "fixed_function/fixed_function.h"
#include "web/web.h"

EM_JS(void, show_failure_on_page, (const char* reason), {
    if (Module['onFailure']) Module['onFailure'](UTF8ToString(reason));
});

void report_failure(const std::string& reason)
{
    std::fprintf(stderr, "periodica: %s\n", reason.c_str());
    show_failure_on_page(reason.c_str());
}

bool make_web_context(std::string* error)
{
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    // Opaque, as a window is: the alpha that blending leaves in the picture
    // must not let the page show through.
    attributes.alpha = EM_FALSE;
    attributes.depth = EM_TRUE;
    attributes.stencil = EM_FALSE;
    attributes.antialias = EM_FALSE;
    attributes.preserveDrawingBuffer = EM_FALSE;
    attributes.majorVersion = 1;
    attributes.minorVersion = 0;
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_create_context("#canvas", &attributes);
    if (context <= 0) {
        *error = "this browser offers no WebGL, which the demo draws with";
        return false;
    }
    emscripten_webgl_make_context_current(context);
    return fixed_function_init(emscripten_webgl1_get_proc_address, error);
}
