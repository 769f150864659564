#include "capture/publish_picture.h"

#include <cmath>
#include <cstring>

PublishLayout publish_layout(int width, int height, int factor)
{
    PublishLayout layout{};
    layout.width = width;
    layout.height = height;
    layout.factor = factor;
    // The demo's window is 1024x768: 4:3.
    if (static_cast<int64_t>(width) * 3 >= static_cast<int64_t>(height) * 4) {
        layout.picture_height = height;
        layout.picture_width = static_cast<int>((static_cast<int64_t>(height) * 8 + 3) / 6);  // round(h * 4 / 3)
    } else {
        layout.picture_width = width;
        layout.picture_height = static_cast<int>((static_cast<int64_t>(width) * 6 + 4) / 8);  // round(w * 3 / 4)
    }
    layout.picture_x = (width - layout.picture_width) / 2;
    layout.picture_y = (height - layout.picture_height) / 2;
    layout.render_width = layout.picture_width * factor;
    layout.render_height = layout.picture_height * factor;
    return layout;
}

// Coverage is a share of light, so blocks are averaged as light, not as the
// gamma-encoded 8-bit values: averaged as bytes, a white edge half covering
// black would come out at 128, which shows at about a fifth of white's light,
// and thin bright lines would look thinner and darker than they are.
struct LightTables {
    uint16_t to_light[256];      // sRGB byte -> linear light 0..65535
    uint8_t to_srgb[65536];      // linear light -> nearest sRGB byte
};

static double srgb_to_light(double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); }
static double light_to_srgb(double l) { return l <= 0.0031308 ? l * 12.92 : 1.055 * std::pow(l, 1 / 2.4) - 0.055; }

static LightTables make_tables()
{
    LightTables tables{};
    for (int v = 0; v < 256; ++v)
        tables.to_light[v] = static_cast<uint16_t>(std::lround(srgb_to_light(v / 255.0) * 65535));
    for (int l = 0; l < 65536; ++l)
        tables.to_srgb[l] = static_cast<uint8_t>(std::lround(light_to_srgb(l / 65535.0) * 255));
    return tables;
}

void downscale_box(const uint8_t* src, int src_channels, ptrdiff_t src_stride, int factor, int width, int height,
                   uint8_t* dst, ptrdiff_t dst_stride)
{
    if (factor == 1) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                std::memcpy(dst + y * dst_stride + x * 3, src + y * src_stride + x * src_channels, 3);
        return;
    }
    static const LightTables tables = make_tables();
    const uint32_t count = static_cast<uint32_t>(factor * factor);
    for (int y = 0; y < height; ++y) {
        uint8_t* out = dst + y * dst_stride;
        for (int x = 0; x < width; ++x) {
            uint32_t sum[3] = {0, 0, 0};  // at most 64 * 65535 for factor 8
            for (int row = 0; row < factor; ++row) {
                const uint8_t* in = src + (static_cast<ptrdiff_t>(y) * factor + row) * src_stride +
                                    static_cast<ptrdiff_t>(x) * factor * src_channels;
                for (int column = 0; column < factor; ++column, in += src_channels)
                    for (int c = 0; c < 3; ++c) sum[c] += tables.to_light[in[c]];
            }
            for (int c = 0; c < 3; ++c) out[x * 3 + c] = tables.to_srgb[(sum[c] + count / 2) / count];
        }
    }
}

void publish_compose(const PublishLayout& layout, const uint8_t* rgba, uint8_t* frame)
{
    const ptrdiff_t frame_stride = static_cast<ptrdiff_t>(layout.width) * 3;
    std::memset(frame, 0, static_cast<size_t>(frame_stride) * layout.height);
    // glReadPixels gives the bottom row first: read from the last row upwards.
    const ptrdiff_t render_stride = static_cast<ptrdiff_t>(layout.render_width) * 4;
    const uint8_t* top_row = rgba + render_stride * (layout.render_height - 1);
    uint8_t* picture = frame + layout.picture_y * frame_stride + layout.picture_x * 3;
    downscale_box(top_row, 4, -render_stride, layout.factor, layout.picture_width, layout.picture_height, picture,
                  frame_stride);
}
