// load_jpeg (gfx/textures.h) for the web build, where libjpeg is not built
// for the toolchain: Debian's stb_image decodes instead, to the same top-down
// RGB rows. Its results differ from libjpeg's by rounding, a level or two.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "gfx/textures.h"

#define STBI_ONLY_JPEG
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

// A picture buffer larger than this is taken for a corrupt header, not allocated.
static constexpr size_t kMaxPictureBytes = size_t{64} << 20;

uint8_t* load_jpeg(const char* path, uint32_t* width, uint32_t* height)
{
    FILE* file = std::fopen(path, "rb");
    if (!file) return nullptr;
    int w = 0, h = 0, components = 0;
    // As with libjpeg: only a three-component picture of a sane size.
    const bool plausible = stbi_info_from_file(file, &w, &h, &components) && components == 3 && w > 0 && h > 0 &&
                           static_cast<size_t>(w) * 3 <= kMaxPictureBytes / (static_cast<size_t>(h) + 1);
    stbi_uc* decoded = plausible ? stbi_load_from_file(file, &w, &h, &components, 3) : nullptr;
    std::fclose(file);
    if (!decoded) return nullptr;
    const size_t row_size = static_cast<size_t>(w) * 3;
    // One row more than the picture needs, as the texture set always had.
    auto* pixels = static_cast<uint8_t*>(std::malloc((static_cast<size_t>(h) + 1) * row_size));
    if (pixels) {
        std::memcpy(pixels, decoded, static_cast<size_t>(h) * row_size);
        *width = static_cast<uint32_t>(w);
        *height = static_cast<uint32_t>(h);
    }
    stbi_image_free(decoded);
    return pixels;
}
