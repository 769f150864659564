// The capture's parts that need neither OpenGL nor the player: command line,
// profile statistics, WAV and PNG output.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "capture/capture_options.h"
#include "capture/capture_png.h"
#include "capture/capture_profile.h"
#include "capture/page_chapters.h"
#include "headless/wav_file.h"
#include "tests/picture_compare.h"
#include "tests/test_files.h"

static bool parse(std::vector<const char*> arguments, CaptureOptions* options, std::string* error)
{
    arguments.insert(arguments.begin(), "periodica-capture");
    return parse_capture_options(static_cast<int>(arguments.size()), const_cast<char**>(arguments.data()),
                                 options, error);
}

TEST(CaptureOptions, ParsesBothSpellingsAndKeepsDefaults)
{
    CaptureOptions o, plain, published;
    std::string error;
    ASSERT_TRUE(parse({"--out", "shots", "--fps=30", "--from", "100", "--to=263", "--width", "64"}, &o, &error))
        << error;
    EXPECT_EQ(o.out_dir, "shots");
    EXPECT_EQ((std::vector<int>{o.fps, o.from, o.to, o.width, o.height, o.mp4}),
              (std::vector<int>{30, 100, 263, 64, 768, false}));
    ASSERT_TRUE(parse({"--profile"}, &plain, &error)) << error;
    EXPECT_EQ((std::vector<int>{plain.from, plain.to, plain.fps}), (std::vector<int>{0, 1920, 60}));
    ASSERT_TRUE(parse({"--publish", "out"}, &published, &error)) << error;
    EXPECT_EQ(published.out_dir, "out");
    EXPECT_EQ((std::vector<int>{published.publish, published.publish_width, published.publish_height,
                                published.supersample, published.fps}),
              (std::vector<int>{true, 1920, 1080, 2, 60}));
    ASSERT_TRUE(parse({"--publish=o", "--size=1440x1080", "--supersample", "4"}, &published, &error)) << error;
    CaptureOptions checked;  // a span at any size
    EXPECT_TRUE(parse({"--out", "f", "--flashes", "--from", "1500", "--width", "256", "--height", "192"}, &checked,
                      &error)) << error;
    EXPECT_EQ((std::vector<int>{published.publish_width, published.publish_height, published.supersample}),
              (std::vector<int>{1440, 1080, 4}));
}

TEST(CaptureOptions, RefusesBadValuesAndCombinationsSayingWhy)
{
    const struct { std::vector<const char*> arguments; const char* reason; } refusals[] = {
        {{"--out", "d", "--fps", "0"}, "--fps"},
        {{"--out", "d", "--width", "12x"}, "--width"},
        {{"--out", "d", "--from", "300", "--to", "200"}, "after --to"},
        {{"--out", "d", "--to", "1921"}, "after the end"},
        {{"--out", "d", "--from", "-37"}, "before the first row"},
        {{"--out", "d", "--from", "170"}, "row 70"},
        {{"--fps", "30"}, "--out"},
        {{"--out"}, "--out"},
        {{"--out", "d", "--bogus"}, "--bogus"},
        {{"--out", "d", "--frames-at", "5", "--to", "100"}, "combined"},
        {{"--profile", "--mp4"}, "combined"},
        {{"--publish", "o", "--size", "321x240"}, "WIDTHxHEIGHT"},
        {{"--publish", "o", "--size", "320"}, "WIDTHxHEIGHT"},
        {{"--publish", "o", "--supersample", "9"}, "--supersample"},
        {{"--publish", "o", "--mp4"}, "combined"},
        {{"--publish", "o", "--width", "64"}, "combined"},
        {{"--out", "o", "--size", "320x240"}, "go with --publish"},
        {{"--out", "o", "--chapters", "--from", "700"}, "--chapters can't be combined"},
        {{"--publish", "o", "--chapters"}, "--chapters"},
        {{"--out", "o", "--flashes", "--mp4"}, "--flashes can't be combined"},
        {{"--publish", "o", "--flashes"}, "--flashes can't be combined"},
        {{"--out", "o", "--allow-flashes"}, "goes with --publish"},
        {{"--out", "o", "--flashes", "--width", "64", "--height", "20"}, "more than the 64x20 picture has"},
    };
    for (const auto& refusal : refusals) {
        CaptureOptions options;
        std::string error;
        EXPECT_FALSE(parse(refusal.arguments, &options, &error)) << refusal.reason;
        EXPECT_NE(error.find(refusal.reason), std::string::npos) << error;
    }
}

TEST(CaptureOptions, FrameTargets)
{
    std::vector<FrameTarget> t;
    std::string error;
    ASSERT_TRUE(parse_frame_targets("700@2.5,0,1920", &t, &error)) << error;
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ((std::vector<double>{double(t[0].position), t[0].seconds, double(t[1].position), t[1].seconds,
                                   double(t[2].position)}),
              (std::vector<double>{700, 2.5, 0, 0, 1920}));
    const std::pair<const char*, const char*> refusals[] = {
        {"", "at least one"}, {"7x", "not POS"}, {"700@", "SECONDS"}, {"700@-1", "SECONDS"}, {"700@nan", "SECONDS"},
        {"1,,2", "frames-at"}, {"-5", "before the first row"}, {"2000", "after the end"}, {"264", "row 64"}};
    for (const auto& [bad, reason] : refusals) {
        std::vector<FrameTarget> ignored;
        error.clear();
        EXPECT_FALSE(parse_frame_targets(bad, &ignored, &error)) << bad;
        EXPECT_NE(error.find(reason), std::string::npos) << bad << ": " << error;
    }
}

// --chapters adds one single frame per section, at the moment the section
// table gives, after those asked for; chapters.json names each section's
// frame as it is written, with the section's start.
TEST(CaptureOptions, ChaptersAddEachSectionsStillAndListThemInOrder)
{
    CaptureOptions o;
    std::string error;
    ASSERT_TRUE(parse({"--out", "d", "--frames-at", "1550@1", "--chapters"}, &o, &error)) << error;
    EXPECT_TRUE(o.chapters);
    ASSERT_EQ(o.frames_at.size(), static_cast<size_t>(1 + kSectionCount));
    EXPECT_EQ(frame_target_name(o.frames_at[0]), "at_1550+1s.png");
    for (int i = 0; i < kSectionCount; ++i) {
        EXPECT_EQ(o.frames_at[1 + i].position, kSections[i].first);
        EXPECT_EQ(o.frames_at[1 + i].seconds, kSections[i].still);
    }
    EXPECT_EQ(frame_target_name({700, 0}), "at_0700.png");
    EXPECT_EQ(frame_target_name({1861, 0.25}), "at_1861+0.25s.png");

    std::vector<int32_t> positions(3 * kSectionCount);
    for (size_t frame = 0; frame < positions.size(); ++frame) positions[frame] = kSections[frame / 3].first;
    const std::string list = page_chapters_json(publish_chapters(positions, 30));
    size_t at = 0;
    for (int i = 0; i < kSectionCount; ++i) {
        const std::string entry = "{\"name\": \"" + std::string(kSections[i].name) + "\", \"first\": " +
                                  std::to_string(kSections[i].first) + ", \"start_ms\": " + std::to_string(i * 100) +
                                  ", \"still\": \"" + frame_target_name({kSections[i].first, kSections[i].still}) +
                                  "\"}";
        const size_t found = list.find(entry, at);
        ASSERT_NE(found, std::string::npos) << entry << " missing after byte " << at << " of\n" << list;
        at = found + entry.size();
    }
    EXPECT_EQ(list.front(), '[');
    EXPECT_EQ(list.substr(list.size() - 2), "]\n");
    // A run that met fewer sections has no list to give.
    positions.resize(positions.size() - 3);
    EXPECT_EQ(page_chapters_json(publish_chapters(positions, 30)), "");
}

TEST(CaptureProfile, RangesAndPercentiles)
{
    for (auto [position, range] : {std::pair{0, 0}, {399, 0}, {400, 1}, {1599, 7}, {1860, 8}, {1861, 9}, {1921, 9}})
        EXPECT_EQ(profile_range_of(position), range) << position;

    std::vector<double> values;
    for (int i = 100; i >= 1; --i) values.push_back(i);
    EXPECT_DOUBLE_EQ(percentile(&values, 50), 50);
    EXPECT_DOUBLE_EQ(percentile(&values, 99), 99);
    std::vector<double> one = {3.5};
    EXPECT_DOUBLE_EQ(percentile(&one, 99), 3.5);
    std::vector<double> none;
    EXPECT_DOUBLE_EQ(percentile(&none, 50), 0);
}

TEST(CaptureProfile, TableFlagsRangesOverTheBudget)
{
    Profile profile;
    profile_init(&profile);
    for (int i = 0; i < 200; ++i) profile_add(&profile, 10, 5.0);
    for (int i = 0; i < 50; ++i) profile_add(&profile, 950, i < 45 ? 8.0 : 30.0);
    FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(print_profile(&profile, 64, 48, out), 1);
    std::rewind(out);
    std::string text(4096, '\0');
    text.resize(std::fread(text.data(), 1, text.size(), out));
    std::fclose(out);
    EXPECT_NE(text.find("0-399"), std::string::npos);
    EXPECT_NE(text.find("200        5.00        5.00"), std::string::npos) << text;
    EXPECT_NE(text.find("50        8.00       30.00  over 16.7"), std::string::npos) << text;
    EXPECT_NE(text.find("1861-1920"), std::string::npos);
}

// 16-bit mono at 44.1 kHz (the capture) and 8-bit at 22.05 kHz (modrender's
// mode 1): the header, and samples as given across the writer's blocks.
TEST(WavFile, HeaderSizesAndLittleEndianSamples)
{
    // Over two blocks in pieces straddling block ends; on this little-endian
    // machine the ramp's bytes are the 16-bit file's data.
    std::vector<int16_t> ramp(kWavBlockSize + 3);
    for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<int16_t>(i * 40503);
    const auto* ramp_bytes = reinterpret_cast<const uint8_t*>(ramp.data());
    const uint32_t size = static_cast<uint32_t>(2 * ramp.size()), piece = 7777;
    const std::string path = scratch_dir("wav") + "/test.wav";
    WavWriter wav;
    for (const uint32_t bits : {16u, 8u}) {
        const uint32_t rate = bits == 16 ? 44100 : 22050, count = size * 8 / bits;
        ASSERT_TRUE(wav_open(&wav, path.c_str(), static_cast<int32_t>(rate), static_cast<int32_t>(bits)));
        for (uint32_t i = 0; i < count; i += piece) {
            if (bits == 16) wav_append(&wav, &ramp[i], std::min(piece, count - i));
            if (bits == 8) wav_append_bytes(&wav, ramp_bytes + i, std::min(piece, count - i));
        }
        ASSERT_TRUE(wav_close(&wav));
        const std::vector<uint8_t> bytes = read_file(path);
        ASSERT_EQ(bytes.size(), 44u + size);
        EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4) + std::string(bytes.begin() + 8, bytes.begin() + 16) +
                      std::string(bytes.begin() + 36, bytes.begin() + 40),
                  "RIFFWAVEfmt data");
        // RIFF size, format chunk size, PCM, channels, rate, bytes a second and a sample, bits, data size.
        EXPECT_EQ((std::vector<uint32_t>{le32(bytes, 4), le32(bytes, 16), bytes[20], bytes[22], le32(bytes, 24),
                                         le32(bytes, 28), bytes[32], bytes[34], le32(bytes, 40)}),
                  (std::vector<uint32_t>{36 + size, 16, 1, 1, rate, rate * bits / 8, bits / 8, bits, size}));
        EXPECT_TRUE(std::equal(ramp_bytes, ramp_bytes + size, bytes.begin() + 44)) << bits;
    }
    EXPECT_FALSE(wav_open(&wav, "/nonexistent-dir/x.wav", 44100, 16));
}

TEST(CapturePng, TopRowFirstAlphaDroppedAndReproducible)
{
    // Two rows as glReadPixels gives them: bottom row first.
    const uint8_t rgba[] = {
        10, 20, 30, 255, 40, 50, 60, 0,      // bottom row
        70, 80, 90, 128, 100, 110, 120, 255, // top row
    };
    const std::string path = testing::TempDir() + "capture_test_a.png";
    const std::string again = testing::TempDir() + "capture_test_b.png";
    std::string error;
    ASSERT_TRUE(write_png_frame(path.c_str(), rgba, 2, 2, &error)) << error;
    ASSERT_TRUE(write_png_frame(again.c_str(), rgba, 2, 2, &error)) << error;
    int width = 0, height = 0;
    const std::vector<uint8_t> pixels = read_png_rgba(path, &width, &height);
    EXPECT_EQ(std::make_pair(width, height), std::make_pair(2, 2));
    // Alpha is not kept: every pixel reads back opaque.
    EXPECT_EQ(pixels, (std::vector<uint8_t>{70, 80, 90, 255, 100, 110, 120, 255, 10, 20, 30, 255, 40, 50, 60, 255}));
    EXPECT_EQ(read_file(path), read_file(again));
    EXPECT_FALSE(write_png_frame("/nonexistent-dir/x.png", rgba, 2, 2, &error));
    EXPECT_NE(error.find("/nonexistent-dir/x.png"), std::string::npos);
    std::remove(path.c_str());
    std::remove(again.c_str());
}
