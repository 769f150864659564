#include "tools/capture/capture_egl.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

bool create_capture_context(int width, int height, std::string* error)
{
    auto get_platform_display =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!get_platform_display) {
        *error = "EGL has no eglGetPlatformDisplayEXT";
        return false;
    }
    EGLDisplay display = get_platform_display(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr)) {
        *error = "no surfaceless EGL display (is Mesa's libegl-mesa0 installed?)";
        return false;
    }
    const EGLint config_attributes[] = {
        EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
        EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_ALPHA_SIZE, 8,
        EGL_DEPTH_SIZE, 24, EGL_NONE,
    };
    EGLConfig config;
    EGLint count = 0;
    if (!eglChooseConfig(display, config_attributes, &config, 1, &count) || count == 0) {
        *error = "EGL offers no RGBA8 pbuffer configuration with a depth buffer";
        return false;
    }
    if (!eglBindAPI(EGL_OPENGL_API)) {
        *error = "EGL can't bind desktop OpenGL";
        return false;
    }
    const EGLint context_attributes[] = {
        EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE,
    };
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, context_attributes);
    if (context == EGL_NO_CONTEXT) {
        *error = "EGL can't create an OpenGL compatibility context";
        return false;
    }
    const EGLint surface_attributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    EGLSurface surface = eglCreatePbufferSurface(display, config, surface_attributes);
    if (surface == EGL_NO_SURFACE || !eglMakeCurrent(display, surface, surface, context)) {
        *error = "EGL can't make a " + std::to_string(width) + "x" + std::to_string(height) + " pbuffer current";
        return false;
    }
    // The first make-current sets the viewport to the whole pbuffer, as a
    // new window's context starts with the whole window.
    return true;
}
