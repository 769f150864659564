// Texture set: the disc, JPEG decoding, placeholders and the module read.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/startup.h"
#include "gfx/textures.h"
#include "tests/gl_test_context.h"
#include "tools/pictures/pictures_image.h"

namespace fs = std::filesystem;

// The picture tool's own writer, at full quality.
static bool write_test_picture(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb)
{
    return write_jpeg(path.c_str(), Image{width, height, rgb}, 100) == 1;
}

static fs::path scratch_dir(const char* name)
{
    fs::path dir = fs::temp_directory_path() / ("periodica_" + std::string(name) + "_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

static uint8_t disc_alpha(int x, int y) { return disc_pixels[(y * kDiscSize + x) * 4 + 3]; }

TEST(Disc, OpaqueInsideTruncatedRadius120AndClearOutside)
{
    build_disc();
    EXPECT_EQ(disc_alpha(128, 128), 255);
    // Truncated distance 119 (119.9 really) is inside; exactly 120 is not.
    EXPECT_EQ(disc_alpha(128 + 119, 128), 255);
    EXPECT_EQ(disc_alpha(128 + 84, 128 + 84), 255);  // sqrt(2*84^2) = 118.79
    EXPECT_EQ(disc_alpha(128 + 120, 128), 0);
    EXPECT_EQ(disc_alpha(128, 128 - 120), 0);
    EXPECT_EQ(disc_alpha(128 - 85, 128 + 85), 0);    // 120.2
    for (int corner : {0, 255}) {
        EXPECT_EQ(disc_alpha(corner, 0), 0);
        EXPECT_EQ(disc_alpha(corner, 255), 0);
    }
    // The centre is pixel 128, not 127.5: the disc reaches 119 pixels left
    // of it (pixel 9) but not pixel 8, and 119 right of it (247).
    EXPECT_EQ(disc_alpha(9, 128), 255);
    EXPECT_EQ(disc_alpha(8, 128), 0);
    EXPECT_EQ(disc_alpha(247, 128), 255);
    // Colour is white everywhere, opaque or not.
    for (int i = 0; i < kDiscSize * kDiscSize; i += 997) {
        EXPECT_EQ(disc_pixels[i * 4], 255);
        EXPECT_EQ(disc_pixels[i * 4 + 1], 255);
        EXPECT_EQ(disc_pixels[i * 4 + 2], 255);
    }
}

TEST(LoadJpeg, DecodesTopDownWithOneSpareRow)
{
    const fs::path dir = scratch_dir("jpeg");
    // Four bands of flat colour, 16 rows each (so chroma subsampling keeps
    // them apart), red at the top, blue at the bottom.
    const int width = 16, height = 64;
    const uint8_t colours[4][3] = {{255, 0, 0}, {0, 255, 0}, {255, 255, 255}, {0, 0, 255}};
    std::vector<uint8_t> rgb;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) rgb.insert(rgb.end(), colours[y / 16], colours[y / 16] + 3);
    const std::string path = (dir / "rows.jpg").string();
    ASSERT_TRUE(write_test_picture(path, width, height, rgb));

    uint32_t w = 0, h = 0;
    uint8_t* pixels = load_jpeg(path.c_str(), &w, &h);
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(w, 16u);
    EXPECT_EQ(h, 64u);
    for (int band = 0; band < 4; ++band) {
        const int y = band * 16 + 8;
        const uint8_t* pixel = pixels + (y * width + width / 2) * 3;
        for (int c = 0; c < 3; ++c) EXPECT_NEAR(pixel[c], colours[band][c], 8) << "row " << y << " channel " << c;
    }
    // The buffer has one row more than the picture; touching it must be
    // legal (an address sanitizer build checks this).
    pixels[height * width * 3 + width * 3 - 1] = 7;
    EXPECT_EQ(pixels[height * width * 3 + width * 3 - 1], 7);
    std::free(pixels);
    fs::remove_all(dir);
}

TEST(LoadJpeg, MissingAndAbsurdFilesCountAsMissing)
{
    const fs::path dir = scratch_dir("absurd");
    uint32_t w = 1234, h = 5678;
    EXPECT_EQ(load_jpeg((dir / "nothing.jpg").c_str(), &w, &h), nullptr);
    EXPECT_EQ(w, 1234u);  // not written when the file can't be opened
    EXPECT_EQ(h, 5678u);

    const std::string path = (dir / "small.jpg").string();
    ASSERT_TRUE(write_test_picture(path, 8, 8, std::vector<uint8_t>(8 * 8 * 3, 128)));
    std::vector<char> bytes;
    {
        std::ifstream in(path, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    size_t frame = 0;
    for (size_t i = 2; i + 9 < bytes.size(); ++i) {
        if (static_cast<uint8_t>(bytes[i]) == 0xFF && static_cast<uint8_t>(bytes[i + 1]) == 0xC0) {
            frame = i;
            break;
        }
    }
    ASSERT_NE(frame, 0u) << "no baseline frame header in the test picture";
    auto with_size = [&](const char* name, int frame_width, int frame_height) {
        std::vector<char> patched = bytes;
        patched[frame + 5] = static_cast<char>(frame_height >> 8);
        patched[frame + 6] = static_cast<char>(frame_height & 0xFF);
        patched[frame + 7] = static_cast<char>(frame_width >> 8);
        patched[frame + 8] = static_cast<char>(frame_width & 0xFF);
        const std::string out = (dir / name).string();
        std::ofstream(out, std::ios::binary).write(patched.data(), static_cast<std::streamsize>(patched.size()));
        return out;
    };
    // 65000 x 65000 RGB would need 12 GB.
    EXPECT_EQ(load_jpeg(with_size("huge.jpg", 65000, 65000).c_str(), &w, &h), nullptr);
    EXPECT_EQ(load_jpeg(with_size("flat.jpg", 8, 0).c_str(), &w, &h), nullptr);
    EXPECT_EQ(load_jpeg(with_size("thin.jpg", 0, 8).c_str(), &w, &h), nullptr);
    fs::remove_all(dir);
}

TEST(ModuleFile, ShortFileLeavesZerosAndLongFileIsCut)
{
    const fs::path dir = scratch_dir("module");
    EXPECT_EQ(read_module_file((dir / "absent.mod").c_str()), 0);

    // The buffer is the demo's one static buffer: the short file goes first.
    const std::string short_path = (dir / "short.mod").string();
    std::ofstream(short_path, std::ios::binary) << "M.K.";
    ASSERT_EQ(read_module_file(short_path.c_str()), 1);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(module_buffer), 4), "M.K.");
    size_t nonzero = 0;
    for (size_t i = 4; i < kModuleBufferSize; ++i) nonzero += module_buffer[i] != 0;
    EXPECT_EQ(nonzero, 0u);

    std::vector<char> long_file(kModuleBufferSize + 100);
    for (size_t i = 0; i < long_file.size(); ++i) long_file[i] = static_cast<char>(1 + i % 251);
    const std::string long_path = (dir / "long.mod").string();
    std::ofstream(long_path, std::ios::binary).write(long_file.data(), static_cast<std::streamsize>(long_file.size()));
    ASSERT_EQ(read_module_file(long_path.c_str()), 1);
    EXPECT_EQ(module_buffer[0], 1);
    EXPECT_EQ(module_buffer[kModuleBufferSize - 1], static_cast<uint8_t>(long_file[kModuleBufferSize - 1]));
    fs::remove_all(dir);
}

static GLint texture_width(GLuint name)
{
    GLint width = 0;
    glBindTexture(GL_TEXTURE_2D, name);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    return width;
}

TEST(LoadTextures, MissingPicturesGetPlaceholdersAndPresentOnesTheirOwnSize)
{
    ASSERT_TRUE(make_gl_test_context());
    const fs::path dir = scratch_dir("textures");
    fs::create_directories(dir / "data");
    ASSERT_TRUE(write_test_picture((dir / "data" / "pimsel.jpg").string(), 32, 16,
                                std::vector<uint8_t>(32 * 16 * 3, 200)));
    const fs::path old_dir = fs::current_path();
    fs::current_path(dir);
    testing::internal::CaptureStderr();
    load_textures();
    const std::string warnings = testing::internal::GetCapturedStderr();
    fs::current_path(old_dir);

    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    for (int index = 0; index < kTextureCount; ++index) EXPECT_NE(textures[index], 0u);
    EXPECT_EQ(texture_width(textures[5]), 32);   // pimsel, present
    EXPECT_EQ(texture_width(textures[0]), 8);    // velmor, placeholder checker
    EXPECT_EQ(texture_width(textures[7]), 256);  // the disc
    // One line per missing picture, naming it.
    EXPECT_NE(warnings.find("data/velmor.jpg"), std::string::npos);
    EXPECT_NE(warnings.find("data/dorrin.jpg"), std::string::npos);
    EXPECT_EQ(warnings.find("pimsel"), std::string::npos);
    EXPECT_EQ(std::count(warnings.begin(), warnings.end(), '\n'), 6);
    fs::remove_all(dir);
}
