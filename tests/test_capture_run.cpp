// periodica-capture run as a user runs it, on the generated pictures and
// soundtrack at 64x48. Its frame counts and sound are checked against the
// player and audio callback driven directly in this process.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/sections.h"
#include "app/startup.h"
#include "player/player.h"
#include "sound/sound_device.h"
#include "tests/reference_show.h"
#include "tests/test_files.h"

static CommandResult run(const std::string& dir, const std::string& arguments, const std::string& environment = "")
{
    return run_logged(dir, environment + " '" CAPTURE_BINARY "' " + arguments);
}

static std::string small(int fps)
{
    return " --data '" CAPTURE_DATA_DIR "' --width 64 --height 48 --fps " + std::to_string(fps);
}

static int64_t count_frames(const std::string& dir)
{
    int64_t count = 0;
    while (file_exists(frame_file(dir, count))) ++count;
    return count;
}

// Frames up to position 15 at 30 fps, then single frames inside that span:
// the singles must be the span's frames at the requested moments.
TEST(CaptureRun, SpanHasItsLengthTheDemosSoundTheSingleFramesAndItsProfile)
{
    ASSERT_TRUE(render_reference(CAPTURE_DATA_DIR "/zentaro.mod", 20)) << "no playable " CAPTURE_DATA_DIR "/zentaro.mod";
    const std::string dir = scratch_dir("capture_span");
    const CommandResult result = run(dir, "--out '" + dir + "/span' --to 15" + small(30));
    ASSERT_EQ(result.status, 0) << result.err;
    const Span span = expected_span(30, 0, 15);
    const int64_t frames = count_frames(dir + "/span");
    EXPECT_EQ(frames, span.last - span.first + 1);
    EXPECT_NE(read_file(frame_file(dir + "/span", 0)), read_file(frame_file(dir + "/span", frames - 1)));
    EXPECT_EQ(samples_of(read_file(dir + "/span/sound.wav"), 44),
              reference_slice(sample_of(span.first, 30), sample_of(span.last + 1, 30)));
    EXPECT_NE(result.out.find("wrote " + std::to_string(frames) + " frames"), std::string::npos) << result.out;

    const CommandResult singles = run(dir, "--out '" + dir + "/at' --frames-at 12,5@0.25" + small(30));
    ASSERT_EQ(singles.status, 0) << singles.err;
    EXPECT_EQ(read_file(dir + "/at/at_0012.png"),
              read_file(frame_file(dir + "/span", expected_single_frame(30, 12, 0.0) - span.first)));
    EXPECT_EQ(read_file(dir + "/at/at_0005+0.25s.png"),
              read_file(frame_file(dir + "/span", expected_single_frame(30, 5, 0.25) - span.first)));
    // Positions the song never reaches are refused before anything is written.
    EXPECT_EQ(run(dir, "--out '" + dir + "/before' --frames-at -5" + small(30)).status, 2);
    EXPECT_EQ(run(dir, "--out '" + dir + "/after' --frames-at 1950" + small(30)).status, 2);
    EXPECT_FALSE(file_exists(dir + "/after"));
    // --profile draws the span's frames, counted in their section, and writes none.
    const CommandResult profile = run(dir, "--profile --to 15" + small(30));
    ASSERT_EQ(profile.status, 0) << profile.err;
    const size_t row = profile.out.find("\n0-399");
    ASSERT_NE(row, std::string::npos) << profile.out;
    EXPECT_EQ(std::atoll(profile.out.c_str() + row + 6), frames) << profile.out;
    EXPECT_NE(profile.out.find("400-599           0"), std::string::npos) << profile.out;
    EXPECT_EQ(count_frames(dir), 0);
    std::filesystem::remove_all(dir);
}

// --chapters runs on to the last section and lists every section in order,
// each start later than the last on the frame grid, each with its still
// written under the name the list gives: the frame --frames-at gives for
// that moment.
TEST(CaptureRun, ChaptersListEverySectionWithItsStartAndStill)
{
    const std::string dir = scratch_dir("capture_chapters");
    const CommandResult result = run(dir, "--out '" + dir + "/page' --chapters" + small(30));
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string list = read_text(dir + "/page/chapters.json");
    size_t at = 0;
    long last_ms = -1;
    for (int i = 0; i < kSectionCount; ++i) {
        SCOPED_TRACE(kSections[i].name);
        const size_t entry = list.find("{\"name\": \"" + std::string(kSections[i].name) + "\", \"first\": " +
                                       std::to_string(kSections[i].first) + ", \"start_ms\": ", at);
        ASSERT_NE(entry, std::string::npos) << list;
        long ms = -1;
        char still[64] = "";
        ASSERT_EQ(std::sscanf(list.c_str() + list.find("start_ms", entry), "start_ms\": %ld, \"still\": \"%63[^\"]",
                              &ms, still), 2) << list;
        EXPECT_TRUE(i == 0 ? ms == 0 : ms > last_ms) << ms << " after " << last_ms;
        const long frame = (ms * 30 + 999) / 1000;  // the first frame starting at or after ms
        EXPECT_EQ(frame * 1000 / 30, ms) << "not the start of a frame at 30 fps";
        EXPECT_TRUE(file_exists(dir + "/page/" + still)) << still;
        last_ms = ms;
        at = entry + 1;
    }
    const std::string moment = std::to_string(kSections[kSectionTube].first) + "@" +
                               std::to_string(kSections[kSectionTube].still);
    ASSERT_EQ(run(dir, "--out '" + dir + "/single' --frames-at " + moment + small(30)).status, 0);
    const std::filesystem::directory_iterator single(dir + "/single");
    ASSERT_NE(single, std::filesystem::directory_iterator());
    EXPECT_EQ(read_file(single->path().string()),
              read_file(dir + "/page/" + single->path().filename().string()));
    std::filesystem::remove_all(dir);
}

// A capture started later gives byte for byte the frames of one started at
// the beginning: nothing in a frame depends on the frames skipped before it.
TEST(CaptureRun, ALaterSpanHasTheSameFramesAsALongerCapture)
{
    ASSERT_TRUE(render_reference(CAPTURE_DATA_DIR "/zentaro.mod", 20)) << "no playable " CAPTURE_DATA_DIR "/zentaro.mod";
    const std::string dir = scratch_dir("capture_later");
    const CommandResult whole = run(dir, "--out '" + dir + "/whole' --to 112" + small(25));
    ASSERT_EQ(whole.status, 0) << whole.err;
    const CommandResult part = run(dir, "--out '" + dir + "/part' --from 110 --to 112" + small(25));
    ASSERT_EQ(part.status, 0) << part.err;

    const Span whole_span = expected_span(25, 0, 112);
    const Span part_span = expected_span(25, 110, 112);
    ASSERT_EQ(count_frames(dir + "/whole"), whole_span.last - whole_span.first + 1);
    ASSERT_EQ(count_frames(dir + "/part"), part_span.last - part_span.first + 1);
    for (int64_t frame = part_span.first; frame <= part_span.last; ++frame)
        ASSERT_EQ(read_file(frame_file(dir + "/part", frame - part_span.first)),
                  read_file(frame_file(dir + "/whole", frame - whole_span.first)))
            << "frame " << frame;
    EXPECT_EQ(samples_of(read_file(dir + "/part/sound.wav"), 44),
              reference_slice(sample_of(part_span.first, 25), sample_of(part_span.last + 1, 25)));
    std::filesystem::remove_all(dir);
}

// A module of one empty pattern played once: positions 0-63, then the song
// goes back to its start.
TEST(CaptureRun, ASongThatLoopsBeforeAPositionReportsItUnreached)
{
    const std::string dir = scratch_dir("capture_loop");
    std::vector<uint8_t> module(1084 + 64 * 4 * 4, 0);
    module[950] = 1;  // song length
    std::copy_n("M.K.", 4, module.begin() + 1080);
    run_command("mkdir -p '" + dir + "/data'");
    write_file(dir + "/data/zentaro.mod", module);
    const std::string options = " --data '" + dir + "/data' --width 32 --height 24 --fps 10";

    const CommandResult singles = run(dir, "--out '" + dir + "/at' --frames-at 30,100" + options);
    EXPECT_EQ(singles.status, 1);
    EXPECT_TRUE(file_exists(dir + "/at/at_0030.png"));
    EXPECT_FALSE(file_exists(dir + "/at/at_0100.png"));
    EXPECT_NE(singles.err.find("position 100 was never reached: the song went back to position 0"),
              std::string::npos) << singles.err;

    // 64 rows of 0.12 s at 10 fps: frames at 0.0 .. 7.6 s, the next one is past the loop.
    const CommandResult span = run(dir, "--out '" + dir + "/span' --to 100" + options);
    EXPECT_EQ(span.status, 1);
    EXPECT_NE(span.err.find("loops"), std::string::npos) << span.err;
    EXPECT_EQ(count_frames(dir + "/span"), 77);
    EXPECT_EQ(samples_of(read_file(dir + "/span/sound.wav"), 44).size(), 77u * 4410u);
    std::filesystem::remove_all(dir);
}

TEST(CaptureRun, MissingModuleAndMissingFfmpegAreClearFailures)
{
    const std::string dir = scratch_dir("capture_missing");
    run_command("mkdir -p '" + dir + "/empty'");
    const CommandResult no_module = run(dir, "--out '" + dir + "/out' --data '" + dir + "/empty' --width 64");
    EXPECT_EQ(no_module.status, 1);
    EXPECT_NE(no_module.err.find("zentaro.mod"), std::string::npos) << no_module.err;

    const CommandResult no_ffmpeg = run(dir, "--out '" + dir + "/video' --mp4 --to 3" + small(30),
                                    "PATH='" + dir + "/empty'");
    EXPECT_EQ(no_ffmpeg.status, 1);
    EXPECT_NE(no_ffmpeg.err.find("ffmpeg, which is not installed"), std::string::npos) << no_ffmpeg.err;
    EXPECT_EQ(count_frames(dir + "/video"), 0);
    std::filesystem::remove_all(dir);
}

// scripts/install-deps installs ffmpeg, so its absence is a broken set-up
// and fails here rather than skipping the video path unseen.
TEST(CaptureRun, Mp4CarriesEveryFrameAndTheSoundAndIsTheSameOnOneProcessor)
{
    ASSERT_EQ(run_command("command -v ffmpeg >/dev/null && command -v ffprobe >/dev/null"), 0)
        << "ffmpeg/ffprobe missing: run scripts/install-deps";
    ASSERT_TRUE(render_reference(CAPTURE_DATA_DIR "/zentaro.mod", 20)) << "no playable " CAPTURE_DATA_DIR "/zentaro.mod";
    const std::string dir = scratch_dir("capture_mp4");
    // 160x120: smaller pictures leave x264 one thread whatever it is given.
    const std::string options = " --mp4 --to 7 --data '" CAPTURE_DATA_DIR "' --width 160 --height 120 --fps 30";
    const CommandResult video = run(dir, "--out '" + dir + "/v'" + options);
    ASSERT_EQ(video.status, 0) << video.err;
    EXPECT_EQ(count_frames(dir + "/v"), 0);
    ASSERT_EQ(run_command("ffprobe -v error -count_frames -show_entries stream=codec_name,pix_fmt,nb_read_frames "
                          "-of csv=p=0 '" + dir + "/v/capture.mp4' >'" + dir + "/probe'"), 0);
    const std::string streams = read_text(dir + "/probe");
    const Span span = expected_span(30, 0, 7);
    EXPECT_NE(streams.find("h264,yuv420p," + std::to_string(span.last - span.first + 1)), std::string::npos)
        << streams;
    EXPECT_NE(streams.find("aac"), std::string::npos) << streams;
    // The same span on one processor, from which x264 would take one thread
    // instead of the machine's count, gives the same file.
    const CommandResult pinned = run(dir, "--out '" + dir + "/one'" + options, "taskset -c 0");
    ASSERT_EQ(pinned.status, 0) << pinned.err;
    EXPECT_TRUE(read_file(dir + "/v/capture.mp4") == read_file(dir + "/one/capture.mp4"));  // no byte dump
    std::filesystem::remove_all(dir);
}
