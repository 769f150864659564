#include "tests/picture_compare.h"

#include <png.h>

#include <cstdlib>

int pixels_over(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, int levels)
{
    int count = 0;
    for (size_t p = 0; p + 3 < a.size() && p + 3 < b.size(); p += 4) {
        bool over = false;
        for (size_t c = 0; c < 3; ++c) over = over || std::abs(a[p + c] - b[p + c]) > levels;
        count += over;
    }
    return count;
}

std::vector<uint8_t> read_png_rgba(const std::string& path, int* width, int* height)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return {};
    *width = static_cast<int>(image.width);
    *height = static_cast<int>(image.height);
    return pixels;
}

double share_over_24_levels(const std::string& path, const std::string& reference_path)
{
    int w1 = 0, h1 = 0, w2 = 0, h2 = 0;
    const auto picture = read_png_rgba(path, &w1, &h1);
    const auto reference = read_png_rgba(reference_path, &w2, &h2);
    if (picture.empty() || reference.empty() || w1 != w2 || h1 != h2) return 1;
    return static_cast<double>(pixels_over(picture, reference, 24)) / (w1 * h1);
}
