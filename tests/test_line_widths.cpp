// Outlines keep the demo's weight at every picture size: 2 pixels at 768
// lines, 4 at 1536, also while the closing zoom-out shrinks the viewport.
// The rings' black rims are drawn through the whole frame (draw_frame, the
// timeline, the effect) on white, and their width is measured in the
// pixels. Built twice: on OpenGL 1.x, and through our fixed-function layer on
// OpenGL ES (DRAWS_THROUGH_LAYER).
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "app/shell.h"
#include "app/timeline.h"
#include "gfx/effects/effects.h"
#include "gfx/show_clock.h"
#include "headless/headless_gl.h"
#if DRAWS_THROUGH_LAYER
#include "fixed_function/fixed_function.h"
#endif

static double clock_seconds = 0;
static double fixed_time() { return clock_seconds; }
static int32_t first_row() { return 0; }

// The rings alone: every other effect (the textured ones, which would cover
// them, and the cube field, whose unlit faces are near black) draws nothing.
static void no_picture() {}
static void no_texture(GLuint, double) {}
static void no_pulse(GLuint, double, double) {}
static void no_field(float) {}
static const SceneEffects kRingsOnly = {
    no_picture, no_texture, no_texture, no_texture, no_texture, no_pulse,
    draw_rings, no_field,   no_field,   no_field,   no_field,   no_field,
};

constexpr int kLargest = 2048, kLargestLines = 1536;

static bool start_context(std::string* error)
{
#if DRAWS_THROUGH_LAYER
    return make_headless_context(kLargest, kLargestLines, error, HeadlessApi::es2) &&
           fixed_function_init(headless_gl_function, error);
#else
    return make_headless_context(kLargest, kLargestLines, error);
#endif
}

// The frame at position p into the bottom-left width x height of the
// pbuffer, cleared to white, as RGBA rows from the bottom.
static std::vector<uint8_t> frame(double p, int width, int height)
{
    install_show_clock({fixed_time, first_row});
    scene_effects = kRingsOnly;
    glViewport(0, 0, width, height);
    glClearColor(1, 1, 1, 1);
    draw_frame(p, width, height);
    std::vector<uint8_t> rgba(static_cast<size_t>(width) * height * 4);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    scene_effects = kDemoEffects;
    return rgba;
}

// How many pixels of each width the black lines are drawn: for every black
// pixel, the shorter of its runs of black across and up (across a line
// running more sideways than up the run up is the line's width, and the
// other way round).
static std::map<int, int> black_runs(const std::vector<uint8_t>& rgba, int width, int height)
{
    auto black = [&](int pixel) {
        const uint8_t* p = &rgba[static_cast<size_t>(pixel) * 4];
        return p[0] < 40 && p[1] < 40 && p[2] < 40;
    };
    // Each pixel's run length along lines of length `along`, `lines` of them;
    // at(line, i) is the pixel's index.
    auto runs_of = [&](int lines, int along, auto at) {
        std::vector<int> length(rgba.size() / 4);
        for (int line = 0; line < lines; ++line)
            for (int i = 0; i < along;) {
                int end = i;
                while (end < along && black(at(line, end))) ++end;
                for (int k = i; k < end; ++k) length[at(line, k)] = end - i;
                i = std::max(end, i + 1);
            }
        return length;
    };
    const std::vector<int> across = runs_of(height, width, [&](int y, int x) { return y * width + x; });
    const std::vector<int> up = runs_of(width, height, [&](int x, int y) { return y * width + x; });
    std::map<int, int> runs;
    for (size_t i = 0; i < across.size(); ++i)
        if (across[i] > 0) ++runs[std::min(across[i], up[i])];
    return runs;
}

// The width most black pixels are drawn at; 0 when nothing is black.
static int drawn_width(const std::map<int, int>& runs)
{
    int width = 0, most = 0;
    for (const auto& [run, pixels] : runs)
        if (pixels > most) width = run, most = pixels;
    return width;
}

// Share of the pixels in runs up to one longer than width that are exactly
// width long: near 1 for lines of an even width (longer runs are where rims
// cross or touch), far less for lines stepping between two widths.
static double share_at(const std::map<int, int>& runs, int width)
{
    int at = 0, all = 0;
    for (const auto& [run, pixels] : runs) {
        if (run == width) at = pixels;
        if (run <= width + 1) all += pixels;
    }
    return all ? static_cast<double>(at) / all : 0;
}

static std::string describe(const std::map<int, int>& runs)
{
    std::string text;
    for (const auto& [run, pixels] : runs) text += " " + std::to_string(run) + ":" + std::to_string(pixels);
    return text;
}

TEST(LineWidths, FollowThePictureHeight)
{
    std::string error;
    ASSERT_TRUE(start_context(&error)) << error;
    clock_seconds = 0.5;
    // The opening draws the rings; the same rims at twice the size are twice
    // as wide, and at the demo's size exactly what the demo always drew. The
    // 1080 lines of the published picture make 2.8 pixels: drawn 3 wide all
    // along, as OpenGL draws an aliased line.
    const struct { int width, height, line; } sizes[] = {
        {1024, 768, 2}, {2048, 1536, 4}, {1440, 1080, 3}, {512, 384, 1}};
    for (const auto& size : sizes) {
        const std::map<int, int> runs = black_runs(frame(0, size.width, size.height), size.width, size.height);
        SCOPED_TRACE(std::to_string(size.width) + "x" + std::to_string(size.height) + ", pixels by run:" +
                     describe(runs));
        EXPECT_EQ(drawn_width(runs), size.line);
        EXPECT_GT(share_at(runs, size.line), 0.9);
    }
}

TEST(LineWidths, KeepThePictureHeightWhileTheZoomOutShrinksIt)
{
    std::string error;
    ASSERT_TRUE(start_context(&error)) << error;
    // Half a second into the finale's zoom-out the picture is about a fifth
    // of its width and height; its lines stay as wide as the full picture's, as
    // the window's 2 pixels did at 1024x768.
    zoom_start = 10;
    clock_seconds = 10.5;
    for (const auto& size : {std::pair{1024, 768}, std::pair{2048, 1536}}) {
        const auto [width, height] = size;
        const std::map<int, int> runs = black_runs(frame(1870, width, height), width, height);
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_LT(viewport[3], height / 4) << "the zoom-out has not shrunk the picture";
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height) + ", pixels by run:" + describe(runs));
        EXPECT_EQ(drawn_width(runs), 2 * height / 768);
        EXPECT_GT(share_at(runs, 2 * height / 768), 0.9);
    }
    zoom_start = 0;
}
