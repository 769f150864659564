// periodica-capture --publish: the area filter and letterbox, chapters and
// the parsing of ffmpeg's loudness reports; then the tool publishing short
// spans, checked with ffprobe and ebur128, and supersampling checked on
// frames of the rings rendered at 1, 2 and 4 times the size.
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "app/sections.h"
#include "tests/test_files.h"
#include "tools/capture/capture_options.h"
#include "tools/capture/publish_media.h"
#include "tools/capture/publish_picture.h"

TEST(PublishPicture, LayoutCentresTheLargest4by3Picture)
{
    const PublishLayout hd = publish_layout(1920, 1080, 2);
    EXPECT_EQ(hd.picture_width, 1440);
    EXPECT_EQ(hd.picture_height, 1080);
    EXPECT_EQ(hd.picture_x, 240);
    EXPECT_EQ(hd.picture_y, 0);
    EXPECT_EQ(hd.render_width, 2880);
    EXPECT_EQ(hd.render_height, 2160);
    const PublishLayout square = publish_layout(1080, 1080, 1);  // bars above and below
    EXPECT_EQ(square.picture_width, 1080);
    EXPECT_EQ(square.picture_height, 810);
    EXPECT_EQ(square.picture_y, 135);
    const PublishLayout exact = publish_layout(320, 240, 3);
    EXPECT_EQ(exact.picture_x + exact.picture_y, 0);
    EXPECT_EQ(exact.render_width, 960);
    const PublishLayout rounded = publish_layout(1366, 770, 1);  // 770 * 4 / 3 = 1026.7
    EXPECT_EQ(rounded.picture_width, 1027);
    EXPECT_EQ(rounded.picture_x, 169);
}

TEST(PublishPicture, BoxFilterAveragesLightAndKeepsFlatColours)
{
    // factor 1 copies, dropping the fourth byte.
    const uint8_t rgba[8] = {1, 2, 3, 99, 250, 128, 7, 99};
    uint8_t copy[6] = {};
    downscale_box(rgba, 4, 8, 1, 2, 1, copy, 6);
    EXPECT_EQ(std::vector<uint8_t>(copy, copy + 6), (std::vector<uint8_t>{1, 2, 3, 250, 128, 7}));
    // Any one colour over a whole block comes out exactly.
    for (int factor : {2, 3, 8})
        for (int value = 0; value < 256; ++value) {
            const std::vector<uint8_t> block(static_cast<size_t>(factor) * factor * 3, static_cast<uint8_t>(value));
            uint8_t out[3] = {};
            downscale_box(block.data(), 3, factor * 3, factor, 1, 1, out, 3);
            ASSERT_EQ(out[0], value) << "factor " << factor;
        }
    // Half white, half black: half the light, which sRGB encodes as 188, not 128.
    // Two output pixels side by side take their own blocks.
    const uint8_t mixed[2 * 4 * 3] = {255, 255, 255, 0, 0, 0, 10, 10, 10, 10, 10, 10,
                                      0, 0, 0, 255, 255, 255, 10, 10, 10, 10, 10, 10};
    uint8_t two[6] = {};
    downscale_box(mixed, 3, 12, 2, 2, 1, two, 6);
    EXPECT_EQ(std::vector<uint8_t>(two, two + 6), (std::vector<uint8_t>{188, 188, 188, 10, 10, 10}));
}

TEST(PublishPicture, ComposeFlipsIntoThePictureAreaBetweenBlackBars)
{
    // An 8x2 frame holds a 3x2 picture (round(2 * 4 / 3) = 3) at x 2, rendered at 6x4.
    const PublishLayout layout = publish_layout(8, 2, 2);
    ASSERT_EQ(layout.picture_x, 2);
    std::vector<uint8_t> rgba(static_cast<size_t>(layout.render_width) * layout.render_height * 4, 200);
    for (int x = 0; x < layout.render_width * 4; ++x) rgba[x] = 50;  // the bottom two rows, as GL gives them
    for (int x = 0; x < layout.render_width * 4; ++x) rgba[layout.render_width * 4 + x] = 50;
    std::vector<uint8_t> frame(8 * 2 * 3, 77);
    publish_compose(layout, rgba.data(), frame.data());
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 8; ++x) {
            const int expected = x < 2 || x >= 5 ? 0 : (y == 0 ? 200 : 50);
            EXPECT_EQ(frame[(y * 8 + x) * 3 + 1], expected) << x << "," << y;
        }
}

TEST(PublishMedia, ChaptersFollowTheSectionsTheFramesShow)
{
    // At 10 fps: three frames of "Rings and title", a step back to it that
    // starts nothing, then two sections.
    const std::vector<int32_t> positions = {390, 398, 399, 400, 399, 401, 600, 601};
    const std::vector<Chapter> chapters = publish_chapters(positions, 10);
    ASSERT_EQ(chapters.size(), 3u);
    EXPECT_EQ(chapters[0].section, 0);
    EXPECT_EQ(chapters[1].start_ms, 300);
    EXPECT_EQ(chapters[1].end_ms, 600);
    EXPECT_EQ(chapters[2].section, 2);
    EXPECT_EQ(chapters[2].end_ms, 800);
    EXPECT_TRUE(publish_chapters({}, 60).empty());
    const std::string text = chapter_metadata(chapters);
    EXPECT_EQ(text.rfind(";FFMETADATA1\n", 0), 0u);
    EXPECT_NE(text.find("START=300\nEND=600\ntitle=" + std::string(kSections[1].name) + "\n"), std::string::npos)
        << text;
}

TEST(PublishMedia, LoudnessReportsAreReadFromFfmpegsLog)
{
    const std::string pass = "[Parsed_loudnorm_2 @ 0x1] \n{\n\t\"input_i\" : \"-16.70\",\n"
                             "\t\"input_tp\" : \"-1.72\",\n\t\"input_lra\" : \"2.40\",\n"
                             "\t\"input_thresh\" : \"-26.75\",\n\t\"output_i\" : \"-13.30\",\n"
                             "\t\"normalization_type\" : \"dynamic\",\n\t\"target_offset\" : \"-0.70\"\n}\n";
    LoudnessMeasure measure{};
    ASSERT_TRUE(parse_loudnorm("size=N/A time=00:02:33\n" + pass, &measure));
    EXPECT_DOUBLE_EQ(measure.integrated_lufs, -16.70);
    EXPECT_DOUBLE_EQ(measure.true_peak_dbtp, -1.72);
    EXPECT_DOUBLE_EQ(measure.range_lu, 2.40);
    EXPECT_DOUBLE_EQ(measure.threshold_lufs, -26.75);
    EXPECT_DOUBLE_EQ(measure.offset_lu, -0.70);
    EXPECT_EQ(loudnorm_mode(pass), "dynamic");
    std::string silent = pass;
    silent.replace(silent.find("-16.70"), 6, "-inf");
    EXPECT_FALSE(parse_loudnorm(silent, &measure));

    const std::string summary = "  Summary:\n\n  Integrated loudness:\n    I:         -13.9 LUFS\n"
                                "    Threshold: -23.9 LUFS\n\n  Loudness range:\n    LRA:         2.5 LU\n\n"
                                "  True peak:\n    Peak:       -1.3 dBFS\n";
    double lufs = 0, peak = 0;
    ASSERT_TRUE(parse_ebur128("[Parsed_ebur128_0 @ 0x2] " + summary, &lufs, &peak));
    EXPECT_DOUBLE_EQ(lufs, -13.9);
    EXPECT_DOUBLE_EQ(peak, -1.3);
    EXPECT_FALSE(parse_ebur128("no summary here", &lufs, &peak));
}

static bool parse(std::vector<const char*> arguments, CaptureOptions* options, std::string* error)
{
    arguments.insert(arguments.begin(), "periodica-capture");
    return parse_capture_options(static_cast<int>(arguments.size()), const_cast<char**>(arguments.data()),
                                 options, error);
}

TEST(PublishOptions, DefaultsSizesAndRefusals)
{
    CaptureOptions options;
    std::string error;
    ASSERT_TRUE(parse({"--publish", "out"}, &options, &error)) << error;
    EXPECT_EQ(options.out_dir, "out");
    EXPECT_EQ((std::vector<int>{options.publish, options.publish_width, options.publish_height, options.supersample,
                                options.fps}),
              (std::vector<int>{true, 1920, 1080, 2, 60}));
    ASSERT_TRUE(parse({"--publish=o", "--size=1440x1080", "--supersample", "4"}, &options, &error)) << error;
    EXPECT_EQ((std::vector<int>{options.publish_width, options.publish_height, options.supersample}),
              (std::vector<int>{1440, 1080, 4}));
    for (std::vector<const char*> bad : std::vector<std::vector<const char*>>{
             {"--publish", "o", "--size", "321x240"}, {"--publish", "o", "--size", "320"},
             {"--publish", "o", "--supersample", "9"}, {"--publish", "o", "--mp4"},
             {"--publish", "o", "--width", "64"}, {"--out", "o", "--size", "320x240"}}) {
        CaptureOptions refused;
        EXPECT_FALSE(parse(bad, &refused, &error)) << bad[2];
    }
}

// The tool itself. ffmpeg is installed with the other dependencies, so its
// absence fails these tests.
struct RunResult { int status; std::string out, err; };

static RunResult run(const std::string& dir, const std::string& command)
{
    const int status = run_command(command + " >'" + dir + "/stdout' 2>'" + dir + "/stderr'");
    return {status, read_text(dir + "/stdout"), read_text(dir + "/stderr")};
}

static RunResult capture(const std::string& dir, const std::string& arguments, const std::string& environment = "")
{
    return run(dir, environment + " '" CAPTURE_BINARY "' --data '" CAPTURE_DATA_DIR "' " + arguments);
}

// Integrated loudness and true peak as ebur128 measures the file's sound.
static void expect_streaming_loudness(const std::string& dir, const std::string& mp4)
{
    const RunResult meter = run(dir, "ffmpeg -nostdin -hide_banner -nostats -i '" + mp4 +
                                         "' -map 0:a -af ebur128=peak=true:framelog=verbose -f null -");
    double lufs = 0, peak = 0;
    ASSERT_TRUE(parse_ebur128(meter.err, &lufs, &peak)) << meter.err;
    EXPECT_NEAR(lufs, -14.0, 1.0);
    EXPECT_LE(peak, -1.0);
}

TEST(PublishRun, ASpanAcrossTwoSectionsIsReadyToUpload)
{
    const std::string dir = scratch_dir("publish_span");
    const RunResult published = capture(dir, "--publish '" + dir + "/out' --from 1260 --to 1303 --size 160x120");
    ASSERT_EQ(published.status, 0) << published.err;
    const std::string mp4 = dir + "/out/periodica.mp4";
    EXPECT_NE(published.out.find("LUFS"), std::string::npos) << published.out;
    EXPECT_EQ(run(dir, "ls -A '" + dir + "/out'").out, "periodica.mp4\n");  // no work files left

    const RunResult probe = run(dir, "ffprobe -v error -show_entries stream=codec_type,codec_name,profile,pix_fmt,"
                                     "width,height,r_frame_rate,sample_rate,channels:chapter=start_time:"
                                     "chapter_tags=title -of compact '" + mp4 + "'");
    ASSERT_EQ(probe.status, 0) << probe.err;
    const std::string& streams = probe.out;
    EXPECT_NE(streams.find("codec_name=h264|profile=High|codec_type=video|width=160|height=120|pix_fmt=yuv420p"
                           "|r_frame_rate=60/1"), std::string::npos) << streams;
    EXPECT_NE(streams.find("codec_name=aac|profile=LC|codec_type=audio|sample_rate=48000|channels=2"),
              std::string::npos) << streams;
    auto count = [&](const std::string& what) {
        size_t found = 0;
        for (size_t at = streams.find(what); at != std::string::npos; at = streams.find(what, at + 1)) ++found;
        return found;
    };
    EXPECT_EQ(count("codec_type=video"), 1u);
    EXPECT_EQ(count("codec_type=audio"), 1u);
    const size_t first = streams.find("chapter|start_time=0.000000|tag:title=" + std::string(kSections[5].name));
    const size_t second = streams.find("|tag:title=" + std::string(kSections[6].name));
    EXPECT_NE(first, std::string::npos) << streams;
    EXPECT_NE(second, std::string::npos) << streams;
    EXPECT_EQ(streams.find("tag:title=" + std::string(kSections[7].name)), std::string::npos) << streams;
    expect_streaming_loudness(dir, mp4);
}

TEST(PublishRun, AShortSpanIsNormalisedAndBarsAreBlack)
{
    const std::string dir = scratch_dir("publish_short");
    // 1.3 s, too short for loudnorm's window; a 64x48 picture between 16-pixel bars.
    const RunResult published =
        capture(dir, "--publish '" + dir + "/out' --from 1300 --to 1310 --size 96x48 --supersample 1");
    ASSERT_EQ(published.status, 0) << published.err;
    const std::string mp4 = dir + "/out/periodica.mp4";
    expect_streaming_loudness(dir, mp4);
    ASSERT_EQ(run(dir, "ffmpeg -nostdin -v error -i '" + mp4 + "' -frames:v 1 -f rawvideo -pix_fmt rgb24 '" + dir +
                           "/frame.rgb'").status, 0);
    const std::string frame = read_text(dir + "/frame.rgb");
    ASSERT_EQ(frame.size(), 96u * 48 * 3);
    int bar_max = 0, picture_max = 0;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 96; ++x)
            for (int c = 0; c < 3; ++c) {
                const int value = static_cast<uint8_t>(frame[(y * 96 + x) * 3 + c]);
                if (x < 14 || x >= 82) bar_max = std::max(bar_max, value);  // 2 pixels from the picture for coding
                if (x >= 16 && x < 80) picture_max = std::max(picture_max, value);
            }
    EXPECT_LE(bar_max, 6);
    EXPECT_GT(picture_max, 100);
}

TEST(PublishRun, ImpossibleSizesAndMissingFfmpegAreOneLineFailures)
{
    const std::string dir = scratch_dir("publish_fail");
    const RunResult huge = capture(dir, "--publish '" + dir + "/huge' --size 8192x6144 --supersample 4 --to 5");
    EXPECT_EQ(huge.status, 1);
    EXPECT_NE(huge.err.find("headless OpenGL context"), std::string::npos) << huge.err;
    EXPECT_EQ(std::count(huge.err.begin(), huge.err.end(), '\n'), 1) << huge.err;
    EXPECT_FALSE(file_exists(dir + "/huge/periodica.mp4"));
    run_command("mkdir -p '" + dir + "/empty'");
    const RunResult no_ffmpeg = capture(dir, "--publish '" + dir + "/none' --to 5", "PATH='" + dir + "/empty'");
    EXPECT_EQ(no_ffmpeg.status, 1);
    EXPECT_NE(no_ffmpeg.err.find("--publish needs ffmpeg"), std::string::npos) << no_ffmpeg.err;
}

// Supersampling, on the rings at 150@1 rendered at 160x120 times 1, 2 and 4
// and filtered down as --publish does.
static std::vector<uint8_t> rings_frame(const std::string& dir, int factor)
{
    const std::string out = dir + "/x" + std::to_string(factor);
    const RunResult shot = capture(dir, "--out '" + out + "' --fps 10 --frames-at 150@1 --width " +
                                            std::to_string(160 * factor) + " --height " + std::to_string(120 * factor));
    if (shot.status != 0) return {};
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, (out + "/at_0150+1s.png").c_str())) return {};
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return {};
    std::vector<uint8_t> small(160 * 120 * 3);
    downscale_box(pixels.data(), 3, 160 * factor * 3, factor, 160, 120, small.data(), 160 * 3);
    return small;
}

TEST(PublishSupersampling, TwoTimesComesCloserToFourAndSoftensRingEdges)
{
    const std::string dir = scratch_dir("publish_supersample");
    const std::vector<uint8_t> once = rings_frame(dir, 1), twice = rings_frame(dir, 2), reference = rings_frame(dir, 4);
    ASSERT_FALSE(once.empty() || twice.empty() || reference.empty());
    double off_once = 0, off_twice = 0;
    for (size_t i = 0; i < reference.size(); ++i) {
        off_once += std::abs(once[i] - reference[i]);
        off_twice += std::abs(twice[i] - reference[i]);
    }
    EXPECT_LT(off_twice, off_once * 0.75) << "mean absolute differences " << off_twice / reference.size() << ", "
                                          << off_once / reference.size();

    // The rings are flat black, (153, 0, 153) and (204, 0, 204). An edge
    // pixel: the reference shows a shade between black and (204, 0, 204)
    // there, and nothing else around it but those two and such shades.
    auto pixel = [](const std::vector<uint8_t>& f, int x, int y) { return &f[(y * 160 + x) * 3]; };
    auto black = [](const uint8_t* p) { return p[0] == 0 && p[1] == 0 && p[2] == 0; };
    auto ring = [](const uint8_t* p) { return p[0] == 204 && p[1] == 0 && p[2] == 204; };
    auto shade = [](const uint8_t* p) {
        return p[1] <= 2 && std::abs(p[0] - p[2]) <= 2 && p[0] >= 8 && p[0] <= 196 && p[0] != 153;
    };
    int edges = 0, flat_once = 0, shaded_twice = 0;
    for (int y = 2; y < 118; ++y)
        for (int x = 2; x < 158; ++x) {
            bool near_black = false, near_ring = false, clean = shade(pixel(reference, x, y));
            for (int dy = -2; dy <= 2 && clean; ++dy)
                for (int dx = -2; dx <= 2; ++dx) {
                    const uint8_t* p = pixel(reference, x + dx, y + dy);
                    near_black = near_black || black(p);
                    near_ring = near_ring || ring(p);
                    clean = clean && (black(p) || ring(p) || shade(p));
                }
            if (!clean || !near_black || !near_ring) continue;
            ++edges;
            flat_once += black(pixel(once, x, y)) || ring(pixel(once, x, y));
            shaded_twice += shade(pixel(twice, x, y));
        }
    ASSERT_GE(edges, 20);
    EXPECT_EQ(flat_once, edges);
    EXPECT_GE(shaded_twice * 2, edges);
}
