// Frames reached by stepping the show unseen (the frames before them run
// only the effects that keep state, nothing drawn) against the same frames
// of a capture that drew every frame of the show: pixel for pixel equal, on
// OpenGL 1.x and through the fixed-function layer, at moments in every
// section, in the first second of each, where what the section before
// handed over shows, and on the picture flashes' kicks and overlays, whose
// tilt and picture alternate for the whole show. A span started part-way
// also starts its sound at the sample the full run gives it.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/sections.h"
#include "capture/capture_options.h"
#include "tests/picture_compare.h"
#include "tests/reference_show.h"
#include "tests/test_files.h"

static constexpr int kFps = 60;
static const std::string kSize = " --width 128 --height 96";

using Moment = FrameTarget;

// Each section's first frame, 0.1 s and 0.5 s in, and its still; kicks
// (tilted one way or the other by every kick before) and overlays (one of
// two pictures, by every overlay before) far into the show.
static std::vector<Moment> moments()
{
    std::vector<Moment> list;
    for (const ShowSection& section : kSections)
        for (double seconds : {0.0, 0.1, 0.5, section.still}) list.push_back({section.first, seconds});
    for (Moment flash : {Moment{432, 0.1}, Moment{516, 0.08}, Moment{1016, 0.1}, Moment{1448, 0.1},
                         Moment{416, 0.3}, Moment{1316, 0.3}, Moment{1716, 0.3}})
        list.push_back(flash);
    return list;
}

static std::string frames_at_list(const std::vector<Moment>& list)
{
    std::string text;
    for (const Moment& moment : list) {
        char item[32];
        std::snprintf(item, sizeof item, "%s%d@%g", text.empty() ? "" : ",", moment.position, moment.seconds);
        text += item;
    }
    return text;
}

static int capture(const std::string& backend, const std::string& arguments)
{
    return run_command(std::string("'" CAPTURE_BINARY "' ") + backend + " --data '" CAPTURE_DATA_DIR "'" + kSize +
                           " " + arguments + " >/dev/null",
                       800);
}

static std::vector<uint8_t> pixels(const std::string& path)
{
    int width = 0, height = 0;
    return read_png_rgba(path, &width, &height);
}

static void check_against_every_frame_drawn(const std::string& backend, const std::string& tag)
{
    ASSERT_TRUE(render_reference(CAPTURE_DATA_DIR "/zentaro.mod", 152)) << "no playable module";
    const std::string dir = scratch_dir(tag);
    // The whole show, every frame drawn and written.
    ASSERT_EQ(capture(backend, "--out '" + dir + "/every'"), 0);
    const int64_t first = first_show_frame(kFps);

    const std::vector<Moment> list = moments();
    ASSERT_EQ(capture(backend, "--out '" + dir + "/stepped' --frames-at " + frames_at_list(list)), 0);
    for (const Moment& moment : list) {
        const int64_t frame = expected_single_frame(kFps, moment.position, moment.seconds) - first;
        SCOPED_TRACE(frame_target_name(moment) + " against frame " + std::to_string(frame));
        const std::vector<uint8_t> stepped = pixels(dir + "/stepped/" + frame_target_name(moment));
        ASSERT_FALSE(stepped.empty());
        EXPECT_EQ(pixels_over(stepped, pixels(frame_file(dir + "/every", frame)), 0), 0);
    }

    // A span from the tube on: its frames and its sound, from the sample of
    // its first frame.
    ASSERT_EQ(capture(backend, "--out '" + dir + "/span' --from 1300 --to 1302"), 0);
    const Span span = expected_span(kFps, 1300, 1302);
    for (int64_t frame = span.first; frame <= span.last; ++frame)
        ASSERT_EQ(pixels_over(pixels(frame_file(dir + "/span", frame - span.first)),
                              pixels(frame_file(dir + "/every", frame - first)), 0), 0)
            << "frame " << frame;
    EXPECT_FALSE(file_exists(frame_file(dir + "/span", span.last - span.first + 1)));
    EXPECT_EQ(samples_of(read_file(dir + "/span/sound.wav"), 44),
              reference_slice(sample_of(span.first, kFps), sample_of(span.last + 1, kFps)));
    std::filesystem::remove_all(dir);
}

TEST(UnseenSteps, OpenGlFramesEqualTheFramesOfAShowDrawnInFull)
{
    check_against_every_frame_drawn("", "unseen_gl");
}

TEST(UnseenSteps, LayerFramesEqualTheFramesOfAShowDrawnInFull)
{
    check_against_every_frame_drawn("--es", "unseen_es");
}
