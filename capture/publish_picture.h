// The published picture: the demo's 4:3 frame placed in the output frame
// (black bars left and right, or above and below, when the output isn't
// 4:3), rendered at a whole multiple of that placement and filtered down.
#pragma once
#include <cstddef>
#include <cstdint>

// Sizes in pixels.
struct PublishLayout {
    int width, height;                    // the output frame
    int picture_x, picture_y;             // top-left corner of the picture in it (>= 0)
    int picture_width, picture_height;    // the 4:3 picture, as large as fits
    int factor;                           // supersampling: rendered at factor x the picture's size
    int render_width, render_height;      // picture size x factor
};

// The largest 4:3 picture (rounded to whole pixels) that fits width x height,
// centred. width, height >= 4; factor >= 1.
PublishLayout publish_layout(int width, int height, int factor);

// Area (box) filter in linear light: each output pixel is the mean light of
// the factor x factor block of source pixels it covers, encoded back to
// sRGB. src holds width*factor x height*factor pixels of src_channels bytes
// (RGB first), its rows src_stride bytes apart (negative to read upwards);
// dst gets width x height RGB pixels, rows dst_stride bytes apart. factor 1
// copies exactly; a block of one colour gives that colour exactly.
void downscale_box(const uint8_t* src, int src_channels, ptrdiff_t src_stride, int factor, int width, int height,
                   uint8_t* dst, ptrdiff_t dst_stride);

// One output frame (layout.width x layout.height RGB, top row first, bars
// black) from a rendered frame as glReadPixels gives it (render size, RGBA,
// bottom row first). frame holds width * height * 3 bytes.
void publish_compose(const PublishLayout& layout, const uint8_t* rgba, uint8_t* frame);
