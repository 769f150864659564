#include "tests/gl_test_context.h"

#include <cstdio>
#include <string>

#include "headless/headless_gl.h"

bool make_gl_test_context(int width, int height)
{
    static int made_width = 0, made_height = 0;
    if (made_width == width && made_height == height) return true;
    std::string error;
    if (!make_headless_context(width, height, &error)) {
        std::fprintf(stderr, "gl test: %s\n", error.c_str());
        return false;
    }
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

std::vector<float> gl_floats(GLenum name, int n)
{
    std::vector<float> values(static_cast<size_t>(n));
    glGetFloatv(name, values.data());
    return values;
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
// The polygons, or the line segments, as lists of vertices.
using Shapes = std::vector<std::vector<FeedbackVertex>>;
static Shapes parse_feedback(const std::vector<float>& buffer, bool lines_wanted)
{
    constexpr size_t kVertexFloats = 11;
    Shapes shapes;
    for (size_t i = 0; i < buffer.size();) {
        const auto token = static_cast<GLenum>(buffer[i++]);
        size_t vertices = 0;
        bool wanted = false;
        if (token == GL_POLYGON_TOKEN) {
            vertices = static_cast<size_t>(buffer[i++]), wanted = !lines_wanted;
        } else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
            vertices = 2, wanted = lines_wanted;
        } else if (token == GL_PASS_THROUGH_TOKEN) {
            ++i;
        } else {
            break;  // the effects draw no points or pixels
        }
        std::vector<FeedbackVertex> shape;
        for (size_t v = 0; v < vertices && i + kVertexFloats <= buffer.size(); ++v, i += kVertexFloats) {
            const float* f = &buffer[i];
            shape.push_back(FeedbackVertex{f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7], f[8]});
        }
        if (wanted) shapes.push_back(shape);
    }
    return shapes;
}

Shapes feedback_polygons(const std::vector<float>& buffer) { return parse_feedback(buffer, false); }
Shapes feedback_lines(const std::vector<float>& buffer) { return parse_feedback(buffer, true); }
