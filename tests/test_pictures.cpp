// The picture generator: the files it writes, as the demo's loader reads
// them, and its JPEG writer round-tripped through that loader.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "gfx/textures.h"
#include "tests/test_files.h"
#include "tools/pictures/pictures_image.h"

static const char* const kNames[kPictureCount] = {"velmor", "tandro", "quillet", "brasko",
                                                  "orvane", "pimsel", "dorrin"};

static int run_tool(const std::string& arguments)
{
    return run_command("'" MAKE_PICTURES_PATH "' " + arguments + " 2>/dev/null");
}

struct Decoded {
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> rgb;
};

// Decoded through load_jpeg, keeping its spare row out of the copy.
static Decoded decode(const std::string& path)
{
    Decoded d;
    uint8_t* pixels = load_jpeg(path.c_str(), &d.width, &d.height);
    if (!pixels) return d;
    const size_t size = static_cast<size_t>(d.width) * d.height * 3;
    pixels[size + d.width * 3 - 1] = 7;  // the spare row is writable (an address sanitizer build checks)
    d.rgb.assign(pixels, pixels + size);
    std::free(pixels);
    return d;
}

static double luma(const Decoded& d, int x, int y)
{
    const uint8_t* p = &d.rgb[(static_cast<size_t>(y) * d.width + x) * 3];
    return 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2];
}

// One tool run shared by the tests that only look at its output.
class GeneratedPictures : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir = scratch_dir("pictures_run");
        ASSERT_EQ(run_tool("'" + dir + "'"), 0);
        for (int i = 0; i < kPictureCount; ++i) pictures[i] = decode(dir + "/" + kNames[i] + ".jpg");
    }
    static void TearDownTestSuite() { std::filesystem::remove_all(dir); }
    static std::string dir;
    static Decoded pictures[kPictureCount];
};
std::string GeneratedPictures::dir;
Decoded GeneratedPictures::pictures[kPictureCount];

// 512 square, neither flat nor dark, and no two alike.
TEST_F(GeneratedPictures, SevenDistinctPicturesWithRealContent)
{
    for (int i = 0; i < kPictureCount; ++i) {
        const Decoded& d = pictures[i];
        ASSERT_EQ(std::make_pair(d.width, d.height), std::make_pair(512u, 512u)) << kNames[i];
        double sum = 0, sum_sq = 0;
        for (int y = 0; y < 512; ++y)
            for (int x = 0; x < 512; ++x) sum += luma(d, x, y), sum_sq += luma(d, x, y) * luma(d, x, y);
        const double mean = sum / (512.0 * 512.0);
        EXPECT_GT(std::sqrt(sum_sq / (512.0 * 512.0) - mean * mean), 25.0) << kNames[i] << " is nearly flat";
        EXPECT_GT(mean, 20.0) << kNames[i] << " is nearly black";
        for (int j = 0; j < i; ++j) {
            double diff = 0;
            for (size_t k = 0; k < d.rgb.size(); ++k) diff += std::abs(d.rgb[k] - pictures[j].rgb[k]);
            EXPECT_GT(diff / d.rgb.size(), 20.0) << kNames[i] << " vs " << kNames[j];
        }
    }
}

// Drawn as additive sprites: black must add nothing where the quad's square
// edge would show, and the shape must be bright.
TEST_F(GeneratedPictures, SpritePicturesAreBlackAtTheBorderAndBrightInTheMiddle)
{
    for (int i : {2, 4}) {
        const Decoded& d = pictures[i];
        ASSERT_EQ(d.width, 512u);
        double border_sum = 0, border_max = 0, centre_sum = 0;
        int border_count = 0;
        for (int y = 0; y < 512; ++y)
            for (int x = 0; x < 512; ++x) {
                if (x < 16 || y < 16 || x >= 496 || y >= 496) {
                    border_sum += luma(d, x, y), border_max = std::max(border_max, luma(d, x, y));
                    ++border_count;
                }
                if (x >= 224 && x < 288 && y >= 224 && y < 288) centre_sum += luma(d, x, y);
            }
        EXPECT_LT(border_sum / border_count, 1.5) << kNames[i];
        EXPECT_LT(border_max, 16.0) << kNames[i];
        EXPECT_GT(centre_sum / (64.0 * 64.0), 120.0) << kNames[i];
    }
}

TEST_F(GeneratedPictures, SecondRunWritesIdenticalBytesAndNoUsableFolderFails)
{
    const std::string again = scratch_dir("pictures_again");
    ASSERT_EQ(run_tool("'" + again + "'"), 0);
    for (const char* name : kNames) {
        const std::vector<uint8_t> first = read_file(dir + "/" + name + ".jpg");
        EXPECT_FALSE(first.empty()) << name;
        EXPECT_TRUE(first == read_file(again + "/" + name + ".jpg")) << name << " differs between runs";
    }
    for (const std::string& refused : {std::string(), std::string("a b"), "'" + again + "/no_such_dir'"})
        EXPECT_NE(run_tool(refused), 0) << refused;
    std::filesystem::remove_all(again);
}

// A non-square picture with four coloured quadrants catches swapped axes,
// bottom-up rows and swapped channels between the writer and load_jpeg.
TEST(PictureJpegWriter, RoundTripsThroughTheDemoLoader)
{
    const int w = 48, h = 32;
    Image image = make_image(w, h);
    const Colour quadrant[4] = {rgb(1, 0, 0), rgb(0, 1, 0), rgb(0, 0, 1), rgb(1, 1, 1)};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) put_pixel(image, x, y, quadrant[(y >= h / 2) * 2 + (x >= w / 2)]);
    const std::string dir = scratch_dir("pictures_writer");
    ASSERT_EQ(write_jpeg((dir + "/quad.jpg").c_str(), image, 95), 1);
    const Decoded d = decode(dir + "/quad.jpg");
    ASSERT_EQ(d.width, static_cast<uint32_t>(w));
    ASSERT_EQ(d.height, static_cast<uint32_t>(h));
    for (int q = 0; q < 4; ++q) {
        const int x = (q % 2) * (w / 2) + w / 4, y = (q / 2) * (h / 2) + h / 4;
        const uint8_t* p = &d.rgb[(static_cast<size_t>(y) * w + x) * 3];
        EXPECT_NEAR(p[0], quadrant[q].r * 255, 12) << "quadrant " << q;
        EXPECT_NEAR(p[1], quadrant[q].g * 255, 12) << "quadrant " << q;
        EXPECT_NEAR(p[2], quadrant[q].b * 255, 12) << "quadrant " << q;
    }
    Image broken = image;
    broken.rgb.pop_back();
    EXPECT_EQ(write_jpeg((dir + "/broken.jpg").c_str(), broken, 95), 0);
    EXPECT_EQ(write_jpeg((dir + "/no_dir/x.jpg").c_str(), image, 95), 0);
    std::filesystem::remove_all(dir);
}
