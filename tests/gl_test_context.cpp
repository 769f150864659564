#include "tests/gl_test_context.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <cstdio>

static bool fail(const char* what)
{
    std::fprintf(stderr, "gl test: %s\n", what);
    return false;
}

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
        if (!get_platform_display) return fail("eglGetPlatformDisplayEXT missing");
        display = get_platform_display(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr)) return fail("no surfaceless EGL display");
        const EGLint config_attributes[] = {
            EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
            EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_ALPHA_SIZE, 8,
            EGL_DEPTH_SIZE, 24, EGL_NONE,
        };
        EGLint count = 0;
        if (!eglChooseConfig(display, config_attributes, &config, 1, &count) || count == 0) return fail("no pbuffer config");
        eglBindAPI(EGL_OPENGL_API);
        const EGLint context_attributes[] = {
            EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE,
        };
        context = eglCreateContext(display, config, EGL_NO_CONTEXT, context_attributes);
        if (context == EGL_NO_CONTEXT) return fail("no compatibility context");
    }
    const EGLint surface_attributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    if (surface != EGL_NO_SURFACE) {
        eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroySurface(display, surface);
    }
    surface = eglCreatePbufferSurface(display, config, surface_attributes);
    if (surface == EGL_NO_SURFACE || !eglMakeCurrent(display, surface, surface, context)) return fail("no pbuffer surface");
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

// GL_3D_COLOR_TEXTURE: x y z, r g b a, s t r q per vertex (3 + 4 + 4).
// Polygons, then line segments, as lists of vertices.
static void parse_feedback(const std::vector<float>& buffer, std::vector<std::vector<FeedbackVertex>>* polygons,
                           std::vector<std::vector<FeedbackVertex>>* lines)
{
    constexpr size_t kVertexFloats = 11;
    for (size_t i = 0; i < buffer.size();) {
        const auto token = static_cast<GLenum>(buffer[i++]);
        size_t vertices = 0;
        std::vector<std::vector<FeedbackVertex>>* into = nullptr;
        if (token == GL_POLYGON_TOKEN) {
            vertices = static_cast<size_t>(buffer[i++]), into = polygons;
        } else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
            vertices = 2, into = lines;
        } else if (token == GL_PASS_THROUGH_TOKEN) {
            ++i;
        } else if (token == GL_POINT_TOKEN || token == GL_BITMAP_TOKEN || token == GL_DRAW_PIXEL_TOKEN ||
                   token == GL_COPY_PIXEL_TOKEN) {
            i += kVertexFloats;
        } else {
            return;
        }
        std::vector<FeedbackVertex> shape;
        for (size_t v = 0; v < vertices && i + kVertexFloats <= buffer.size(); ++v, i += kVertexFloats) {
            const float* f = &buffer[i];
            shape.push_back(FeedbackVertex{f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7], f[8]});
        }
        if (into) into->push_back(shape);
    }
}

std::vector<std::vector<FeedbackVertex>> feedback_polygons(const std::vector<float>& buffer)
{
    std::vector<std::vector<FeedbackVertex>> polygons, lines;
    parse_feedback(buffer, &polygons, &lines);
    return polygons;
}

std::vector<std::vector<FeedbackVertex>> feedback_lines(const std::vector<float>& buffer)
{
    std::vector<std::vector<FeedbackVertex>> polygons, lines;
    parse_feedback(buffer, &polygons, &lines);
    return lines;
}
