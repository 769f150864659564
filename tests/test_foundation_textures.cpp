// Texture set: the disc, refused JPEG files, placeholders and the module read.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/startup.h"
#include "gfx/textures.h"
#include "tests/gl_test_context.h"
#include "tests/test_files.h"
#include "tools/pictures/pictures_image.h"

// One colour all over, through the picture tool's own writer at full quality.
static bool write_test_picture(const std::string& path, int width, int height, std::vector<uint8_t> rgb)
{
    std::vector<uint8_t> pixels;
    for (int i = 0; i < width * height; ++i) pixels.insert(pixels.end(), rgb.begin(), rgb.end());
    return write_jpeg(path.c_str(), Image{width, height, pixels}, 100) == 1;
}

static uint8_t disc_alpha(int x, int y) { return disc_pixels[(y * kDiscSize + x) * 4 + 3]; }

// Opaque white inside truncated distance 120 of pixel (128, 128), clear
// outside; the colour is white everywhere.
TEST(Disc, OpaqueInsideTruncatedRadius120AndClearOutside)
{
    build_disc();
    for (auto [x, y] : {std::pair{128, 128}, {247, 128}, {9, 128}, {212, 212}})  // 212: 118.8 away
        EXPECT_EQ(disc_alpha(x, y), 255) << x << "," << y;
    for (auto [x, y] : {std::pair{248, 128}, {8, 128}, {128, 8}, {43, 213}, {0, 0}, {255, 255}})  // 43: 120.2
        EXPECT_EQ(disc_alpha(x, y), 0) << x << "," << y;
    for (int i = 0; i < kDiscSize * kDiscSize; i += 997)
        EXPECT_EQ(disc_pixels[i * 4] + disc_pixels[i * 4 + 1] + disc_pixels[i * 4 + 2], 3 * 255);
}

// An 8 x 8 grey picture's bytes and the offset of its baseline frame header
// (0 when the writer made none).
static std::vector<uint8_t> small_picture(const std::string& dir, size_t* frame)
{
    *frame = 0;
    if (!write_test_picture(dir + "/small.jpg", 8, 8, {128, 128, 128})) return {};
    const std::vector<uint8_t> bytes = read_file(dir + "/small.jpg");
    for (size_t i = 2; i + 9 < bytes.size() && !*frame; ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) *frame = i;
    return bytes;
}

// Only a frame header with a zero size is refused before libjpeg sees the
// file; a file without one is libjpeg's to refuse, which ends the process
// with its own message. (Death tests run before the GL context's threads.)
TEST(LoadJpegDeathTest, FilesWithoutAFrameHeaderAreLeftToLibjpeg)
{
    const std::string dir = scratch_dir("no_frame");
    size_t frame = 0;
    const std::vector<uint8_t> bytes = small_picture(dir, &frame);
    ASSERT_NE(frame, 0u) << "no baseline frame header in the test picture";
    write_file(dir + "/cut.jpg", std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<long>(frame)));
    write_file(dir + "/text.jpg", {'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c', 't', 'u', 'r', 'e', '\n'});
    uint32_t w = 0, h = 0;
    EXPECT_EXIT(load_jpeg((dir + "/cut.jpg").c_str(), &w, &h), testing::ExitedWithCode(EXIT_FAILURE),
                "contains no image");
    EXPECT_EXIT(load_jpeg((dir + "/text.jpg").c_str(), &w, &h), testing::ExitedWithCode(EXIT_FAILURE),
                "Not a JPEG file");
    std::filesystem::remove_all(dir);
}

TEST(LoadJpeg, MissingAndAbsurdFilesCountAsMissing)
{
    const std::string dir = scratch_dir("absurd");
    uint32_t w = 1234, h = 5678;
    EXPECT_EQ(load_jpeg((dir + "/nothing.jpg").c_str(), &w, &h), nullptr);
    EXPECT_EQ(std::make_pair(w, h), std::make_pair(1234u, 5678u));  // not written when the file can't be opened

    size_t frame = 0;
    const std::vector<uint8_t> bytes = small_picture(dir, &frame);
    ASSERT_NE(frame, 0u) << "no baseline frame header in the test picture";
    auto with_size = [&](const char* name, int frame_width, int frame_height) {
        std::vector<uint8_t> patched = bytes;
        const uint8_t size[4] = {uint8_t(frame_height >> 8), uint8_t(frame_height), uint8_t(frame_width >> 8),
                                 uint8_t(frame_width)};
        std::copy(size, size + 4, patched.begin() + frame + 5);
        write_file(dir + "/" + name, patched);
        return dir + "/" + name;
    };
    // 65000 x 65000 RGB would need 12 GB; 5000 x 5000 is just over the 64 MiB allowed.
    EXPECT_EQ(load_jpeg(with_size("huge.jpg", 65000, 65000).c_str(), &w, &h), nullptr);
    EXPECT_EQ(load_jpeg(with_size("large.jpg", 5000, 5000).c_str(), &w, &h), nullptr);
    EXPECT_EQ(load_jpeg(with_size("flat.jpg", 8, 0).c_str(), &w, &h), nullptr);
    EXPECT_EQ(load_jpeg(with_size("thin.jpg", 0, 8).c_str(), &w, &h), nullptr);
    std::filesystem::remove_all(dir);
}

TEST(ModuleFile, ShortFileLeavesZerosAndLongFileIsCut)
{
    const std::string dir = scratch_dir("module");
    EXPECT_EQ(read_module_file((dir + "/absent.mod").c_str()), 0);

    // The buffer is the demo's one static buffer: the short file goes first.
    write_file(dir + "/short.mod", {'M', '.', 'K', '.'});
    ASSERT_EQ(read_module_file((dir + "/short.mod").c_str()), 1);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(module_buffer), 4), "M.K.");
    uint8_t* const end = module_buffer + kModuleBufferSize;
    EXPECT_EQ(std::count(module_buffer + 4, end, 0), end - module_buffer - 4);

    std::vector<uint8_t> long_file(kModuleBufferSize + 100);
    for (size_t i = 0; i < long_file.size(); ++i) long_file[i] = static_cast<uint8_t>(1 + i % 251);
    write_file(dir + "/long.mod", long_file);
    ASSERT_EQ(read_module_file((dir + "/long.mod").c_str()), 1);
    EXPECT_EQ(module_buffer[0], 1);
    EXPECT_EQ(module_buffer[kModuleBufferSize - 1], long_file[kModuleBufferSize - 1]);
    std::filesystem::remove_all(dir);
}

// The bound texture's level 0 as RGB bytes; its width through *width.
static std::vector<uint8_t> texture_rgb(GLuint name, GLint* width)
{
    GLint height = 0;
    glBindTexture(GL_TEXTURE_2D, name);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    std::vector<uint8_t> rgb(static_cast<size_t>(*width) * height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
}

TEST(LoadTextures, MissingPicturesGetPlaceholdersAndPresentOnesTheirOwnSize)
{
    ASSERT_TRUE(make_gl_test_context());
    const std::string dir = scratch_dir("textures");
    std::filesystem::create_directories(dir + "/data");
    ASSERT_TRUE(write_test_picture(dir + "/data/pimsel.jpg", 33, 16, {200, 0, 0}));
    const std::filesystem::path old_dir = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    testing::internal::CaptureStderr();
    load_textures();
    const std::string warnings = testing::internal::GetCapturedStderr();
    std::filesystem::current_path(old_dir);

    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    for (int index = 0; index < kTextureCount; ++index) EXPECT_NE(textures[index], 0u);
    GLint width = 0;
    // pimsel, present, with rows of 99 bytes that must be read unpadded.
    const std::vector<uint8_t> red = texture_rgb(textures[5], &width);
    EXPECT_EQ(width, 33);
    size_t off_colour = 0;
    for (size_t i = 0; i < red.size(); i += 3) off_colour += std::abs(red[i] - 200) > 6 || red[i + 1] + red[i + 2] > 12;
    EXPECT_EQ(off_colour, 0u);
    texture_rgb(textures[7], &width);  // the disc
    EXPECT_EQ(width, 256);
    // velmor, missing: an 8 x 8 grey/magenta checker, every square of it.
    const std::vector<uint8_t> checker = texture_rgb(textures[0], &width);
    ASSERT_EQ(width, 8);
    for (int i = 0; i < 64; ++i) {
        const bool magenta = (i % 8 + i / 8) % 2;
        const std::vector<uint8_t> expected = magenta ? std::vector<uint8_t>{200, 0, 200} : std::vector<uint8_t>(3, 60);
        EXPECT_EQ(std::vector<uint8_t>(&checker[i * 3], &checker[i * 3 + 3]), expected) << i;
    }
    // One line per missing picture, naming it.
    EXPECT_NE(warnings.find("data/velmor.jpg"), std::string::npos);
    EXPECT_NE(warnings.find("data/dorrin.jpg"), std::string::npos);
    EXPECT_EQ(warnings.find("pimsel"), std::string::npos);
    EXPECT_EQ(std::count(warnings.begin(), warnings.end(), '\n'), 6);
    std::filesystem::remove_all(dir);
}
