#include "gfx/textures.h"

#include <cmath>
#include <cstdio>
#include <iterator>
#include <string>

#include "gfx/unit_quad.h"

GLuint textures[kTextureCount];
uint8_t disc_pixels[kDiscSize * kDiscSize * 4];

static const char* const kPictureNames[] = {
    "velmor.jpg", "tandro.jpg", "quillet.jpg", "brasko.jpg", "orvane.jpg", "pimsel.jpg", "dorrin.jpg",
};

// Decoded pictures stay allocated for the whole run, like the textures.
static uint8_t* picture_pixels[std::size(kPictureNames)];

// Shown instead of a picture that can't be read: a small grey/magenta checker.
static constexpr int kPlaceholderSize = 8;
static uint8_t placeholder_pixels[kPlaceholderSize * kPlaceholderSize * 3];

static void build_placeholder()
{
    for (int y = 0; y < kPlaceholderSize; ++y) {
        for (int x = 0; x < kPlaceholderSize; ++x) {
            uint8_t* pixel = placeholder_pixels + (y * kPlaceholderSize + x) * 3;
            const bool light = ((x + y) & 1) != 0;
            pixel[0] = light ? 200 : 60;
            pixel[1] = light ? 0 : 60;
            pixel[2] = light ? 200 : 60;
        }
    }
}

void build_disc()
{
    for (int j = 0; j < kDiscSize; ++j) {
        for (int l = 0; l < kDiscSize; ++l) {
            uint8_t* pixel = disc_pixels + (j * kDiscSize + l) * 4;
            // Centred on pixel (128, 128), hard edge at truncated distance 120.
            const int distance = static_cast<int>(std::sqrt(double((l - 128) * (l - 128) + (j - 128) * (j - 128))));
            pixel[0] = pixel[1] = pixel[2] = 255;
            pixel[3] = distance < 120 ? 255 : 0;
        }
    }
}

static void upload(GLuint name, GLenum format, uint32_t width, uint32_t height, const uint8_t* pixels)
{
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), static_cast<GLsizei>(width),
                 static_cast<GLsizei>(height), 0, format, GL_UNSIGNED_BYTE, pixels);
}

void load_textures()
{
    load_textures_from("data");
}

void load_textures_from(const char* data_dir)
{
    glGenTextures(kTextureCount, textures);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);

    for (int index = 0; index < kTextureCount; ++index) {
        if (index == 7) {
            build_disc();
            upload(textures[index], GL_RGBA, kDiscSize, kDiscSize, disc_pixels);
            continue;
        }
        // load_jpeg sets the size only when it succeeds.
        uint32_t width = kPlaceholderSize;
        uint32_t height = kPlaceholderSize;
        const std::string path = std::string(data_dir) + "/" + kPictureNames[index];
        picture_pixels[index] = load_jpeg(path.c_str(), &width, &height);
        const uint8_t* pixels = picture_pixels[index];
        if (!pixels) {
            std::fprintf(stderr, "periodica: cannot read picture %s; showing a placeholder\n",
                         path.c_str());
            build_placeholder();
            pixels = placeholder_pixels;
        }
        upload(textures[index], GL_RGB, width, height, pixels);
    }

    // Warm-up draw of every texture; never shown, the first frame clears.
    for (int index = 0; index < kTextureCount; ++index) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, textures[index]);
        draw_unit_quad();
    }
}
