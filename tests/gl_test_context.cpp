#include "tests/gl_test_context.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <cstdio>

bool make_gl_test_context(int width, int height)
{
    static bool made = false;
    static int made_width = 0, made_height = 0;
    static EGLDisplay display = EGL_NO_DISPLAY;
    static EGLContext context = EGL_NO_CONTEXT;
    static EGLConfig config;
    static EGLSurface surface = EGL_NO_SURFACE;  // kept, so it is neither lost nor leaked
    if (made && made_width == width && made_height == height) return true;

    if (display == EGL_NO_DISPLAY) {
        auto get_platform_display = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
            eglGetProcAddress("eglGetPlatformDisplayEXT"));
        if (!get_platform_display) {
            std::fprintf(stderr, "gl test: eglGetPlatformDisplayEXT missing\n");
            return false;
        }
        display = get_platform_display(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr)) {
            std::fprintf(stderr, "gl test: no surfaceless EGL display\n");
            return false;
        }
        const EGLint config_attributes[] = {
            EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
            EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_ALPHA_SIZE, 8,
            EGL_DEPTH_SIZE, 24, EGL_NONE,
        };
        EGLint count = 0;
        if (!eglChooseConfig(display, config_attributes, &config, 1, &count) || count == 0) {
            std::fprintf(stderr, "gl test: no pbuffer config\n");
            return false;
        }
        eglBindAPI(EGL_OPENGL_API);
        const EGLint context_attributes[] = {
            EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE,
        };
        context = eglCreateContext(display, config, EGL_NO_CONTEXT, context_attributes);
        if (context == EGL_NO_CONTEXT) {
            std::fprintf(stderr, "gl test: no compatibility context\n");
            return false;
        }
    }
    const EGLint surface_attributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    if (surface != EGL_NO_SURFACE) {
        eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroySurface(display, surface);
    }
    surface = eglCreatePbufferSurface(display, config, surface_attributes);
    if (surface == EGL_NO_SURFACE || !eglMakeCurrent(display, surface, surface, context)) {
        std::fprintf(stderr, "gl test: no pbuffer surface\n");
        return false;
    }
    glViewport(0, 0, width, height);
    made = true;
    made_width = width;
    made_height = height;
    return true;
}

std::vector<uint8_t> read_rgba(int width, int height)
{
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

std::vector<float> capture_feedback(void (*draw)(), int capacity)
{
    std::vector<float> buffer(static_cast<size_t>(capacity));
    glFeedbackBuffer(capacity, GL_3D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint used = glRenderMode(GL_RENDER);
    buffer.resize(used < 0 ? 0 : static_cast<size_t>(used));
    return buffer;
}

std::vector<std::vector<FeedbackVertex>> feedback_polygons(const std::vector<float>& buffer)
{
    // GL_3D_COLOR_TEXTURE: x y z, r g b a, s t q r per vertex (3 + 4 + 4).
    constexpr size_t kVertexFloats = 11;
    auto read_vertex = [&](size_t at) {
        FeedbackVertex v{};
        v.x = buffer[at]; v.y = buffer[at + 1]; v.z = buffer[at + 2];
        v.r = buffer[at + 3]; v.g = buffer[at + 4]; v.b = buffer[at + 5]; v.a = buffer[at + 6];
        v.s = buffer[at + 7]; v.t = buffer[at + 8];
        return v;
    };
    std::vector<std::vector<FeedbackVertex>> polygons;
    size_t i = 0;
    while (i < buffer.size()) {
        const auto token = static_cast<GLenum>(buffer[i++]);
        size_t vertices = 0;
        if (token == GL_POLYGON_TOKEN) {
            vertices = static_cast<size_t>(buffer[i++]);
        } else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
            i += 2 * kVertexFloats;
            continue;
        } else if (token == GL_POINT_TOKEN || token == GL_BITMAP_TOKEN ||
                   token == GL_DRAW_PIXEL_TOKEN || token == GL_COPY_PIXEL_TOKEN) {
            i += kVertexFloats;
            continue;
        } else if (token == GL_PASS_THROUGH_TOKEN) {
            i += 1;
            continue;
        } else {
            break;
        }
        std::vector<FeedbackVertex> polygon;
        for (size_t v = 0; v < vertices && i + kVertexFloats <= buffer.size(); ++v, i += kVertexFloats)
            polygon.push_back(read_vertex(i));
        polygons.push_back(polygon);
    }
    return polygons;
}
