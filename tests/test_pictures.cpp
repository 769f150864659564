// The picture generator: the files it writes as the demo reads them, and the
// helpers its painters are built from.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "gfx/textures.h"
#include "tools/pictures/pictures_image.h"

namespace fs = std::filesystem;

static const char* const kNames[kPictureCount] = {"velmor", "tandro", "quillet", "brasko",
                                                  "orvane", "pimsel", "dorrin"};

static fs::path fresh_dir(const char* tag)
{
    std::string pattern = (fs::temp_directory_path() / (std::string("pictures_") + tag + "_XXXXXX")).string();
    if (!mkdtemp(pattern.data())) return {};
    return pattern;
}

// Exit status of make_pictures with the given argument text (already quoted).
static int run_tool(const std::string& arguments)
{
    const std::string command = std::string("'") + MAKE_PICTURES_PATH + "' " + arguments + " 2>/dev/null";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

static std::string read_bytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Decoded {
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> rgb;
};

static Decoded decode(const fs::path& path)
{
    Decoded d;
    uint8_t* pixels = load_jpeg(path.c_str(), &d.width, &d.height);
    if (pixels) d.rgb.assign(pixels, pixels + static_cast<size_t>(d.width) * d.height * 3);
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
        dir = fresh_dir("run");
        ASSERT_FALSE(dir.empty());
        ASSERT_EQ(run_tool("'" + dir.string() + "'"), 0);
        for (int i = 0; i < kPictureCount; ++i) pictures[i] = decode(dir / (std::string(kNames[i]) + ".jpg"));
    }
    static void TearDownTestSuite()
    {
        std::error_code ignored;
        if (!dir.empty()) fs::remove_all(dir, ignored);
    }
    static fs::path dir;
    static Decoded pictures[kPictureCount];
};
fs::path GeneratedPictures::dir;
Decoded GeneratedPictures::pictures[kPictureCount];

TEST_F(GeneratedPictures, EachDecodesAt512SquareWithRealContent)
{
    for (int i = 0; i < kPictureCount; ++i) {
        const Decoded& d = pictures[i];
        ASSERT_EQ(d.width, 512u) << kNames[i];
        ASSERT_EQ(d.height, 512u) << kNames[i];
        double sum = 0, sum_sq = 0;
        for (int y = 0; y < 512; ++y)
            for (int x = 0; x < 512; ++x) {
                const double l = luma(d, x, y);
                sum += l, sum_sq += l * l;
            }
        const double mean = sum / (512.0 * 512.0);
        const double deviation = std::sqrt(sum_sq / (512.0 * 512.0) - mean * mean);
        EXPECT_GT(deviation, 25.0) << kNames[i] << " is nearly flat";
        EXPECT_GT(mean, 20.0) << kNames[i] << " is nearly black";
    }
}

TEST_F(GeneratedPictures, AllSevenDifferFromEachOther)
{
    for (int a = 0; a < kPictureCount; ++a)
        for (int b = a + 1; b < kPictureCount; ++b) {
            ASSERT_EQ(pictures[a].rgb.size(), pictures[b].rgb.size());
            double diff = 0;
            for (size_t k = 0; k < pictures[a].rgb.size(); ++k) diff += std::abs(pictures[a].rgb[k] - pictures[b].rgb[k]);
            EXPECT_GT(diff / pictures[a].rgb.size(), 20.0) << kNames[a] << " vs " << kNames[b];
        }
}

// Drawn as additive sprites: black must add nothing where the quad's square
// edge would show, and the shape must be bright.
TEST_F(GeneratedPictures, SpritePicturesAreBlackAtTheBorderAndBrightInTheMiddle)
{
    for (int i : {2, 4}) {
        const Decoded& d = pictures[i];
        ASSERT_EQ(d.width, 512u);
        double border_sum = 0, border_max = 0;
        int border_count = 0;
        for (int y = 0; y < 512; ++y)
            for (int x = 0; x < 512; ++x)
                if (x < 16 || y < 16 || x >= 496 || y >= 496) {
                    const double l = luma(d, x, y);
                    border_sum += l, border_max = std::max(border_max, l);
                    ++border_count;
                }
        EXPECT_LT(border_sum / border_count, 1.5) << kNames[i];
        EXPECT_LT(border_max, 16.0) << kNames[i];
        double centre_sum = 0;
        for (int y = 224; y < 288; ++y)
            for (int x = 224; x < 288; ++x) centre_sum += luma(d, x, y);
        EXPECT_GT(centre_sum / (64.0 * 64.0), 120.0) << kNames[i];
    }
}

TEST_F(GeneratedPictures, SecondRunWritesIdenticalBytes)
{
    const fs::path again = fresh_dir("again");
    ASSERT_FALSE(again.empty());
    ASSERT_EQ(run_tool("'" + again.string() + "'"), 0);
    for (const char* name : kNames) {
        const std::string file = std::string(name) + ".jpg";
        const std::string first = read_bytes(dir / file);
        EXPECT_FALSE(first.empty()) << file;
        EXPECT_TRUE(first == read_bytes(again / file)) << file << " differs between runs";
    }
    fs::remove_all(again);
}

TEST(MakePictures, FailsWithoutUsableOutputDirectory)
{
    EXPECT_NE(run_tool(""), 0);
    EXPECT_NE(run_tool("a b"), 0);
    const fs::path dir = fresh_dir("missing");
    ASSERT_FALSE(dir.empty());
    EXPECT_NE(run_tool("'" + (dir / "no_such_dir").string() + "'"), 0);
    fs::remove_all(dir);
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
    const fs::path dir = fresh_dir("writer");
    ASSERT_FALSE(dir.empty());
    const fs::path path = dir / "quad.jpg";
    ASSERT_EQ(write_jpeg(path.c_str(), image, 95), 1);
    const Decoded d = decode(path);
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
    EXPECT_EQ(write_jpeg((dir / "broken.jpg").c_str(), broken, 95), 0);
    EXPECT_EQ(write_jpeg((dir / "no_dir" / "x.jpg").c_str(), image, 95), 0);
    fs::remove_all(dir);
}

TEST(PictureHelpers, PutPixelClipsValuesAndIgnoresOutsideCoordinates)
{
    Image image = make_image(4, 3);
    put_pixel(image, 1, 2, rgb(1.7f, -0.3f, 0.5f));
    const std::vector<uint8_t> before = image.rgb;
    EXPECT_EQ(image.rgb[(2 * 4 + 1) * 3 + 0], 255);
    EXPECT_EQ(image.rgb[(2 * 4 + 1) * 3 + 1], 0);
    EXPECT_EQ(image.rgb[(2 * 4 + 1) * 3 + 2], 128);
    for (auto [x, y] : {std::pair{-1, 0}, {4, 0}, {0, 3}, {0, -1}}) put_pixel(image, x, y, rgb(1, 1, 1));
    EXPECT_EQ(image.rgb, before);
}

TEST(PictureHelpers, RandomSequenceIsFixedBySeedAndUniform)
{
    Rng a = rng_seeded(42), b = rng_seeded(42), c = rng_seeded(43);
    int same_as_other_seed = 0;
    double sum = 0;
    for (int i = 0; i < 20000; ++i) {
        const uint64_t va = rng_next(a);
        ASSERT_EQ(va, rng_next(b));
        same_as_other_seed += va == rng_next(c);
        const float u = rng_unit(a);
        rng_unit(b);
        ASSERT_GE(u, 0.0f);
        ASSERT_LT(u, 1.0f);
        sum += u;
    }
    EXPECT_EQ(same_as_other_seed, 0);
    EXPECT_NEAR(sum / 20000, 0.5, 0.01);
}

TEST(PictureHelpers, NoiseStaysInRangeIsSmoothAndWraps)
{
    float lowest = 1, highest = 0;
    for (int i = 0; i < 4000; ++i) {
        const float x = i * 0.37f - 300.0f, y = i * 0.23f;
        const float n = value_noise(x, y, 7), f = fbm(x, y, 5, 7);
        lowest = std::min({lowest, n, f});
        highest = std::max({highest, n, f});
        EXPECT_LT(std::fabs(value_noise(x + 0.001f, y, 7) - n), 0.01f) << x << "," << y;
        EXPECT_NEAR(value_noise(x + 256.0f, y - 256.0f, 7), n, 1e-3f);
    }
    EXPECT_GE(lowest, 0.0f);
    EXPECT_LE(highest, 1.0f);
    EXPECT_GT(highest - lowest, 0.5f) << "noise barely varies";
    EXPECT_NE(value_noise(3.5f, 4.5f, 1), value_noise(3.5f, 4.5f, 2));
}

TEST(PictureFont, GlyphsAreDistinctAndTextIsLaidOutInSixPixelCells)
{
    std::set<std::string> shapes;
    for (char ch = 'A'; ch <= 'Z'; ++ch) {
        std::string bits;
        for (int row = 0; row < kGlyphHeight; ++row)
            for (int column = 0; column < kGlyphWidth; ++column) bits += glyph_bit(ch, column, row) ? '#' : '.';
        EXPECT_NE(bits.find('#'), std::string::npos) << ch << " is empty";
        EXPECT_TRUE(shapes.insert(bits).second) << ch << " repeats another letter";
    }
    EXPECT_EQ(glyph_bit(' ', 0, 0) + glyph_bit('a', 0, 0) + glyph_bit('A', 5, 3) + glyph_bit('A', 0, 7), 0);

    EXPECT_EQ(text_width("PERIODICA"), 53);
    EXPECT_EQ(text_width(""), 0);
    // "IT" at 3 image pixels per font pixel: I's top bar starts at font
    // column 1, the spacing column 5 is empty, T's bar spans columns 6..10.
    EXPECT_EQ(text_covers("IT", 3, 0, 0), 0);
    EXPECT_EQ(text_covers("IT", 3, 3, 0), 1);
    EXPECT_EQ(text_covers("IT", 3, 15, 0), 0);
    EXPECT_EQ(text_covers("IT", 3, 18, 2), 1);
    EXPECT_EQ(text_covers("IT", 3, 32, 20), 0);
    EXPECT_EQ(text_covers("IT", 3, 24, 20), 1);  // T's stem, bottom row
    EXPECT_EQ(text_covers("IT", 3, 36, 0), 0);   // past the end of the text
    EXPECT_EQ(text_covers("IT", 3, 8, 21), 0);   // below the glyphs
}
