#include "headless/headless_gl.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>

static EGLDisplay display = EGL_NO_DISPLAY;
static EGLConfig config;
static EGLContext context = EGL_NO_CONTEXT;
static EGLSurface surface = EGL_NO_SURFACE;  // kept, so it is neither lost nor leaked

static bool fail(std::string* error, const char* reason)
{
    *error = reason;
    return false;
}

static bool make_display_and_context(HeadlessApi api, std::string* error)
{
    auto get_platform_display =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!get_platform_display) return fail(error, "EGL has no eglGetPlatformDisplayEXT");
    display = get_platform_display(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr)) {
        display = EGL_NO_DISPLAY;
        return fail(error, "no surfaceless EGL display (is Mesa's libegl-mesa0 installed?)");
    }
    const EGLint config_attributes[] = {
        EGL_SURFACE_TYPE, EGL_PBUFFER_BIT,
        EGL_RENDERABLE_TYPE, api == HeadlessApi::es2 ? EGL_OPENGL_ES2_BIT : EGL_OPENGL_BIT,
        EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_ALPHA_SIZE, 8,
        EGL_DEPTH_SIZE, 24, EGL_NONE,
    };
    EGLint count = 0;
    if (!eglChooseConfig(display, config_attributes, &config, 1, &count) || count == 0)
        return fail(error, "EGL offers no RGBA8 pbuffer configuration with a depth buffer");
    if (api == HeadlessApi::es2) {
        if (!eglBindAPI(EGL_OPENGL_ES_API)) return fail(error, "EGL can't bind OpenGL ES");
        const EGLint es_attributes[] = {EGL_CONTEXT_CLIENT_VERSION, 2, EGL_NONE};
        context = eglCreateContext(display, config, EGL_NO_CONTEXT, es_attributes);
        if (context == EGL_NO_CONTEXT) return fail(error, "EGL can't create an OpenGL ES 2.0 context");
        return true;
    }
    if (!eglBindAPI(EGL_OPENGL_API)) return fail(error, "EGL can't bind desktop OpenGL");
    const EGLint context_attributes[] = {
        EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE,
    };
    context = eglCreateContext(display, config, EGL_NO_CONTEXT, context_attributes);
    if (context == EGL_NO_CONTEXT) return fail(error, "EGL can't create an OpenGL compatibility context");
    return true;
}

void* headless_gl_function(const char* name)
{
    return reinterpret_cast<void*>(eglGetProcAddress(name));
}

bool make_headless_context(int width, int height, std::string* error, HeadlessApi api)
{
    if (context == EGL_NO_CONTEXT && !make_display_and_context(api, error)) return false;
    if (surface != EGL_NO_SURFACE) {
        eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroySurface(display, surface);
    }
    const EGLint surface_attributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    surface = eglCreatePbufferSurface(display, config, surface_attributes);
    if (surface == EGL_NO_SURFACE || !eglMakeCurrent(display, surface, surface, context)) {
        *error = "EGL can't make a " + std::to_string(width) + "x" + std::to_string(height) + " pbuffer current";
        return false;
    }
    // As a new window's context starts with the whole window. The driver's
    // own glViewport: in a program drawing through our layer, the symbol is
    // the layer's.
    auto viewport = reinterpret_cast<void (*)(GLint, GLint, GLsizei, GLsizei)>(headless_gl_function("glViewport"));
    viewport(0, 0, width, height);
    return true;
}
