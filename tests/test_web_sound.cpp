// The page's sound in headless Chromium: made by the AudioWorklet, equal to
// modrender's sample by sample through main-thread stalls and a hidden tab,
// with every frame drawing the song position heard when it is shown; and the
// silent show where the worklet can't start; a show started part-way.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "player/player.h"
#include "tests/picture_compare.h"
#include "sound/sound_device.h"
#include "tests/test_files.h"
#include "tests/web_test.h"

static constexpr double kRate = 44100;
static constexpr int64_t kSamplesPerTick = 882;

static std::vector<uint8_t> from_base64(const std::string& text)
{
    std::vector<uint8_t> bytes;
    uint32_t bits = 0;
    int count = 0;
    for (const char c : text) {
        const char* digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        const char* at = std::strchr(digits, c);
        if (c == '=' || !at || c == '\0') continue;
        bits = bits << 6 | static_cast<uint32_t>(at - digits);
        if ((count += 6) >= 8) bytes.push_back(static_cast<uint8_t>(bits >> (count -= 8)));
    }
    return bytes;
}

// Where each song position starts, in samples from the sound's first, from
// the player run offline on the module: tick n's sound starts at 882 n.
struct PositionStart { int64_t sample; int32_t position; };
static std::vector<PositionStart> offline_position_starts(double seconds)
{
    static std::vector<uint8_t> module;
    module = read_file(std::string(CAPTURE_DATA_DIR) + "/zentaro.mod");
    module.resize(300000);
    install_offline_device(2, kTicksPerSecond, pt_tick);
    if (!pt_load(module.data(), module.size())) return {};
    std::vector<PositionStart> starts;
    int32_t last = pt_song_position();
    for (int64_t tick = 0; tick * kSamplesPerTick < seconds * kRate; ++tick) {
        pt_tick();
        if (pt_song_position() != last) starts.push_back({tick * kSamplesPerTick, last = pt_song_position()});
    }
    return starts;
}

static std::vector<PositionStart>::const_iterator first_start(const std::vector<PositionStart>& starts,
                                                              int32_t position)
{
    return std::find_if(starts.begin(), starts.end(), [&](const PositionStart& p) { return p.position == position; });
}

static int32_t position_at(const std::vector<PositionStart>& starts, double sample)
{
    const auto after = std::upper_bound(starts.begin(), starts.end(), sample,
                                        [](double s, const PositionStart& p) { return s < p.sample; });
    return after == starts.begin() ? -37 : std::prev(after)->position;
}

// modrender's render of the module: 16-bit samples from the first on.
static std::vector<int16_t> modrender_samples(const std::string& dir, double seconds)
{
    const std::string wav = dir + "/modrender.wav";
    if (run_command(std::string(MODRENDER_BINARY) + " " + CAPTURE_DATA_DIR + "/zentaro.mod " + wav + " --seconds " +
                    std::to_string(seconds) + " >/dev/null") != 0) return {};
    const std::vector<uint8_t> bytes = read_file(wav);
    std::vector<int16_t> samples(bytes.size() > 44 ? (bytes.size() - 44) / 2 : 0);
    std::memcpy(samples.data(), bytes.data() + 44, samples.size() * 2);
    return samples;
}

// What the page recorded (periodicaTest.dump()).
struct Recording {
    int64_t first = -1;                          // context frame of the first sample
    std::vector<std::pair<int64_t, std::vector<float>>> sound;  // (context frame, floats)
    struct Frame {
        double timestamp, shown;
        int32_t position;
        double heard, context_time, performance_time;
        double made;  // samples played when the frame was drawn, as the page had heard
    };
    std::vector<Frame> frames;
};

static Recording read_recording(const std::string& path)
{
    Recording recording;
    std::istringstream lines(read_text(path));
    for (std::string kind; lines >> kind;) {
        if (kind == "first") {
            lines >> recording.first;
        } else if (kind == "sound") {
            int64_t frame = 0;
            std::string text;
            lines >> frame >> text;
            const std::vector<uint8_t> bytes = from_base64(text);
            std::vector<float> floats(bytes.size() / 4);
            std::memcpy(floats.data(), bytes.data(), floats.size() * 4);
            recording.sound.emplace_back(frame, std::move(floats));
        } else if (kind == "frame") {
            Recording::Frame f{};
            lines >> f.timestamp >> f.shown >> f.position >> f.heard >> f.context_time >> f.performance_time >> f.made;
            recording.frames.push_back(f);
        }
    }
    return recording;
}

// The sound the tap passed must be modrender's from sample `from` on (the
// song's first, unless the show started part-way), with nothing missing,
// doubled or out of order: each float the 16-bit sample / 32768. Before it
// the tap may pass silence (the worklet waits for its connection), nothing
// else. Returns how many samples were compared.
static size_t expect_modrenders_sound(const Recording& recording, const std::vector<int16_t>& reference,
                                      size_t from = 0)
{
    size_t at = from;
    int64_t next_frame = recording.sound.empty() ? 0 : recording.sound.front().first;
    const int64_t start_frame = recording.first + static_cast<int64_t>(from);
    EXPECT_LE(next_frame, start_frame) << "the tap missed the sound's first samples";
    for (const auto& [frame, floats] : recording.sound) {
        EXPECT_EQ(frame, next_frame) << "the sound is not one stretch at sample " << at;
        if (frame != next_frame) return at - from;
        next_frame += static_cast<int64_t>(floats.size());
        for (size_t i = 0; i < floats.size() && at < reference.size(); ++i) {
            if (frame + static_cast<int64_t>(i) < start_frame) {
                if (floats[i] == 0) continue;
                ADD_FAILURE() << "sound " << start_frame - frame - static_cast<int64_t>(i)
                              << " frames before the first sample";
                return 0;
            }
            if (floats[i] != reference[at] / 32768.0f) {
                ADD_FAILURE() << "sample " << at << " is " << floats[i] * 32768 << ", modrender's " << reference[at];
                return at - from;
            }
            ++at;
        }
    }
    return at - from;
}

// The sample heard when frame f is shown, from the sound's first: by the
// browser's output clock, as the page read it.
static double heard_when_shown(const Recording& recording, const Recording::Frame& f)
{
    return (f.context_time + (f.shown - f.performance_time) / 1000) * kRate - static_cast<double>(recording.first);
}

// Every frame draws the position heard when it is shown, placed in the
// offline render's rows; a frame within a sample of a row's start may show
// either row. Returns how many drew another (the first few are failures).
static int frames_drawing_another_row(const Recording& recording, const std::vector<PositionStart>& starts)
{
    int wrong = 0;
    for (const Recording::Frame& f : recording.frames) {
        const double heard = heard_when_shown(recording, f);
        const bool near_a_start = position_at(starts, heard - 1) != position_at(starts, heard + 1);
        if (!near_a_start && f.position != position_at(starts, heard) && ++wrong <= 5)
            ADD_FAILURE() << "the frame at " << f.timestamp << " ms drew " << f.position << " but "
                          << position_at(starts, heard) << " is heard (sample " << heard << ", " << f.made
                          << " played)";
    }
    return wrong;
}

TEST(WebSound, TheWorkletPlaysModrendersSoundAndEveryFrameShowsWhatIsHeard)
{
    ASSERT_TRUE(file_exists(WEB_PAGE)) << WEB_PAGE << " is missing (make web writes it)";
    const std::string dir = scratch_dir("web_sound");
    // 47 s of the show: the main thread blocked for 600 ms twice, then
    // another tab in front for 10 s.
    const std::string stall = "(function () { const t = performance.now(); while (performance.now() - t < 600); })()";
    const CommandResult run = browse(
        dir, "--autoplay", "autoplay&test", 48, "'9=" + stall + "' '15=" + stall + "' 20=@hide 30=@show '47>" + dir +
                 "/recording.txt=periodicaTest.dump()'");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.find("playing silently"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("exception:"), std::string::npos) << run.out;
    const Recording recording = read_recording(dir + "/recording.txt");
    ASSERT_GE(recording.first, 0) << "the worklet never made a sample";
    std::printf("%zu frames drawn\n", recording.frames.size());

    const std::vector<int16_t> reference = modrender_samples(dir, 50);
    ASSERT_FALSE(reference.empty());
    const size_t compared = expect_modrenders_sound(recording, reference);
    std::printf("the worklet's sound equals modrender's for %zu samples (%.2f s)\n", compared, compared / kRate);
    EXPECT_GE(compared, static_cast<size_t>(40 * kRate));

    const std::vector<PositionStart> starts = offline_position_starts(50);
    ASSERT_FALSE(starts.empty());
    EXPECT_EQ(frames_drawing_another_row(recording, starts), 0)
        << "frames that drew another position than the one heard, of " << recording.frames.size();
    int gaps = 0;
    std::vector<double> late_ms;
    for (size_t i = 0; i < recording.frames.size(); ++i) {
        const Recording::Frame& f = recording.frames[i];
        EXPECT_TRUE(f.shown >= f.timestamp && f.shown <= f.timestamp + 40) << "frame at " << f.timestamp;
        const double heard = heard_when_shown(recording, f);
        if (i == 0) continue;
        // After a stall or the hidden time, the first frame shows the heard
        // position (checked above); otherwise how late is a new row drawn?
        if (f.timestamp - recording.frames[i - 1].timestamp > 550) {
            ++gaps;
            std::printf("no frames for %.0f ms; the next drew %d, heard at sample %.0f\n",
                        f.timestamp - recording.frames[i - 1].timestamp, f.position, heard);
        } else if (f.position != recording.frames[i - 1].position && heard < 40 * kRate) {
            const auto start = first_start(starts, f.position);
            if (start != starts.end()) late_ms.push_back((heard - static_cast<double>(start->sample)) * 1000 / kRate);
        }
    }
    // The two stalls and the hidden tab each left a gap in the frames.
    EXPECT_GE(gaps, 3);
    ASSERT_GE(late_ms.size(), 150u) << "row changes drawn in the first 40 s";
    std::sort(late_ms.begin(), late_ms.end());
    std::printf("%zu row changes: drawn %.1f ms (median) after they are heard, %.1f to %.1f ms\n", late_ms.size(),
                late_ms[late_ms.size() / 2], late_ms.front(), late_ms.back());
    EXPECT_GE(late_ms.front(), -1000 / kRate) << "a row drawn before it is heard";
    std::filesystem::remove_all(dir);
}

TEST(WebSound, WhereTheWorkletCannotStartTheShowPlaysSilentlyFromTheTimer)
{
    ASSERT_TRUE(file_exists(WEB_PAGE)) << WEB_PAGE << " is missing (make web writes it)";
    const std::string dir = scratch_dir("web_silent");
    // 14 s: order 1 starts 7.68 s into the show (order 2 at 15.36 s), and a
    // busy machine (ctest runs two tests at once) has taken over 2.3 s to
    // open the page and start the show.
    const CommandResult run = browse(dir, "--autoplay", "autoplay&test=worklet-fails", 14);
    ASSERT_EQ(run.status, 0) << run.err;
    std::istringstream lines(run.out);
    int silent_notes = 0;
    std::vector<int> orders;
    for (std::string line; std::getline(lines, line);) {
        silent_notes += line.find("the sound worklet stopped with an error; playing silently") != std::string::npos;
        int position = 0;
        double seconds = 0;
        if (std::sscanf(line.c_str(), "log: periodica: position %d at %lf s", &position, &seconds) == 2)
            orders.push_back(position / 100);
    }
    EXPECT_EQ(silent_notes, 1) << run.out;
    // Order 1 starts 7.68 s in: the timer drives the song.
    EXPECT_EQ(orders, (std::vector<int>{0, 1})) << run.out;
    std::filesystem::remove_all(dir);
}

// The page told it runs in Firefox, with every read of the output clock or
// latency told on the console: Firefox answers those by asking its sound
// server under its audio graph's lock, which has hung the tab for good.
static const char kFirefoxWithClockSpies[] =
    "'(function () { Object.defineProperty(Navigator.prototype, \"userAgent\", {get: function () {"
    " return \"Mozilla/5.0 (X11; Linux x86_64; rv:115.0) Gecko/20100101 Firefox/115.0\"; }});"
    " const own = AudioContext.prototype.getOutputTimestamp;"
    " AudioContext.prototype.getOutputTimestamp = function () {"
    " console.log(\"output clock asked\"); return own.call(this); };"
    " const latency = Object.getOwnPropertyDescriptor(AudioContext.prototype, \"outputLatency\");"
    " Object.defineProperty(AudioContext.prototype, \"outputLatency\", {get: function () {"
    " console.log(\"output clock asked\"); return latency.get.call(this); }}); })();'";

// A device whose sound is heard as soon as it is played: a frame is then
// shown a frame interval beyond the sound played, into rows whose sound is
// not played yet, and must still draw the row heard. The output clock is
// made to say so (the context's time is at the speaker now).
static const char kNoOutputLatency[] =
    "'AudioContext.prototype.getOutputTimestamp = function () {"
    " return {contextTime: this.currentTime, performanceTime: performance.now()}; };'";

TEST(WebSound, WithNoOutputLatencyEveryFrameStillShowsTheRowHeard)
{
    ASSERT_TRUE(file_exists(WEB_PAGE)) << WEB_PAGE << " is missing (make web writes it)";
    const std::string dir = scratch_dir("web_no_latency");
    const std::string dump = "'10.5>" + dir + "/recording.txt=periodicaTest.dump()'";
    const CommandResult run =
        browse(dir, std::string("--autoplay --before ") + kNoOutputLatency, "autoplay&test", 11, dump);
    ASSERT_EQ(run.status, 0) << run.err;
    const Recording recording = read_recording(dir + "/recording.txt");
    ASSERT_GE(recording.first, 0) << "the worklet never made a sample";
    const std::vector<PositionStart> starts = offline_position_starts(15);
    // The case is made: most frames are shown beyond the sound played, and
    // the opening's rows (120 ms) start among those samples.
    int beyond = 0, row_starts_beyond = 0;
    for (const Recording::Frame& f : recording.frames) {
        const double heard = heard_when_shown(recording, f);
        beyond += heard > f.made;
        row_starts_beyond += heard > f.made && position_at(starts, f.made) != position_at(starts, heard);
    }
    std::printf("%d of %zu frames shown beyond the sound played, %d of them in a row not yet played\n", beyond,
                recording.frames.size(), row_starts_beyond);
    EXPECT_GE(beyond, static_cast<int>(recording.frames.size() / 2));
    EXPECT_GE(row_starts_beyond, 10);
    EXPECT_EQ(frames_drawing_another_row(recording, starts), 0)
        << "frames that drew another position than the one heard, of " << recording.frames.size();
    std::filesystem::remove_all(dir);
}

// Frames that placed the sound by the render clock alone: they were drawn
// all along, each with the row at the sample its estimate placed (the
// worklet reports rows before they play, so none is drawn late), and the
// estimate advanced at the sample rate. Returns how many there were.
static size_t expect_frames_follow_the_render_clock(const Recording& recording, double seconds)
{
    const std::vector<PositionStart> starts = offline_position_starts(seconds + 5);
    const Recording::Frame* first = nullptr;
    const Recording::Frame* last = nullptr;
    int wrong = 0, asked = 0;
    for (const Recording::Frame& f : recording.frames) {
        asked += f.performance_time != -1;
        if (f.heard < 0) continue;
        if (last) {
            EXPECT_GE(f.heard, last->heard) << "the picture went back at " << f.timestamp << " ms";
        }
        const bool near_a_start = position_at(starts, f.heard - 1) != position_at(starts, f.heard + 1);
        if (!near_a_start && f.position != position_at(starts, f.heard) && ++wrong <= 5)
            ADD_FAILURE() << "the frame at " << f.timestamp << " ms drew " << f.position << " for sample " << f.heard
                          << ", in " << position_at(starts, f.heard);
        if (!first) first = &f;
        last = &f;
    }
    EXPECT_EQ(asked, 0) << "frames that asked the output clock, of " << recording.frames.size();
    EXPECT_EQ(wrong, 0) << "frames that drew another row than their sample's, of " << recording.frames.size();
    if (!first) {
        ADD_FAILURE() << "no frame placed a heard sample";
        return 0;
    }
    const double span_ms = last->timestamp - first->timestamp;
    EXPECT_GE(span_ms, 0.7 * seconds * 1000) << "frames drawn while the sound played";
    EXPECT_NEAR((last->heard - first->heard) / span_ms, kRate / 1000, 0.05 * kRate / 1000) << "samples heard a ms";
    return recording.frames.size();
}

TEST(WebSound, FirefoxPlaysModrendersSoundToo)
{
    ASSERT_TRUE(file_exists(WEB_PAGE)) << WEB_PAGE << " is missing (make web writes it)";
    const std::string dir = scratch_dir("web_firefox_sound");
    const std::string log = dir + "/firefox.log";
    const int status = run_command(std::string("bash ") + FIREFOX_SOUND + " " + page_url("autoplay&test&print=10") +
                                   " " + dir + "/recording.txt >" + log + " 2>&1");
    ASSERT_EQ(status, 0) << read_text(log);
    const Recording recording = read_recording(dir + "/recording.txt");
    ASSERT_GE(recording.first, 0) << "the worklet never made a sample";
    const size_t compared = expect_modrenders_sound(recording, modrender_samples(dir, 20));
    std::printf("in Firefox the worklet's sound equals modrender's for %zu samples (%.2f s)\n", compared,
                compared / kRate);
    EXPECT_GE(compared, static_cast<size_t>(10 * kRate));
    std::printf("%zu frames by the render clock\n", expect_frames_follow_the_render_clock(recording, 10));
    std::filesystem::remove_all(dir);
}

// In Firefox the page never asks the output clock or latency: its frames
// go on by the render clock, and the show reaches order 1 (7.68 s in).
TEST(WebSound, InFirefoxTheFramesFollowTheRenderClockAndNeverAskTheOutputClock)
{
    ASSERT_TRUE(file_exists(WEB_PAGE)) << WEB_PAGE << " is missing (make web writes it)";
    const std::string dir = scratch_dir("web_firefox_clock");
    const std::string dump = "'10.5>" + dir + "/recording.txt=periodicaTest.dump()'";
    const CommandResult run =
        browse(dir, std::string("--autoplay --before ") + kFirefoxWithClockSpies, "autoplay&test", 11, dump);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.find("output clock asked"), std::string::npos) << run.out;
    const Recording recording = read_recording(dir + "/recording.txt");
    ASSERT_GE(recording.first, 0) << "the worklet never made a sample";
    std::printf("%zu frames by the render clock\n", expect_frames_follow_the_render_clock(recording, 10));
    const std::vector<PositionLine> lines = position_lines(run.out);
    ASSERT_GE(lines.size(), 2u) << run.out;
    EXPECT_EQ(lines[1].position / 100, 1) << run.out;
    std::filesystem::remove_all(dir);
}

// ?from=1500: the first frame is that row's, the sound is modrender's from
// the row's first sample on, and a few seconds in the picture is the cube
// field's section (its cyan cubes, which the show's opening never draws).
// Silently too, with the show's clock.
TEST(WebSound, AShowFromAPositionStartsThereAsTheWholeShowPlaysIt)
{
    ASSERT_TRUE(file_exists(WEB_PAGE)) << WEB_PAGE << " is missing (make web writes it)";
    const std::string dir = scratch_dir("web_from");
    const std::string dump = "'13.9>" + dir + "/recording.txt=periodicaTest.dump()'";
    const CommandResult run = browse(dir, "--autoplay", "autoplay&test&from=1500", 14, dump);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.find("exception:"), std::string::npos) << run.out;
    const std::vector<std::string> positions = lines_after(run.out, "log: periodica: position ");
    ASSERT_FALSE(positions.empty()) << run.out;
    EXPECT_EQ(positions[0].substr(0, positions[0].find(' ')), "1500") << run.out;

    const std::vector<PositionStart> starts = offline_position_starts(125);
    const auto row = first_start(starts, 1500);
    ASSERT_NE(row, starts.end());
    const Recording recording = read_recording(dir + "/recording.txt");
    const size_t compared =
        expect_modrenders_sound(recording, modrender_samples(dir, 128), static_cast<size_t>(row->sample));
    std::printf("from position 1500 (sample %lld) the sound equals modrender's for %zu samples (%.2f s)\n",
                static_cast<long long>(row->sample), compared, compared / kRate);
    EXPECT_GE(compared, static_cast<size_t>(4 * kRate));

    int width = 0, height = 0;
    const std::vector<uint8_t> shot = read_png_rgba(dir + "/show.png", &width, &height);
    ASSERT_EQ(width * height, 1024 * 768);
    int cyan = 0;
    // The cyan light's flat shade: the opening's pictures have cyans too, but
    // with green and blue unequal nearly everywhere.
    for (size_t i = 0; i < shot.size(); i += 4) cyan += shot[i] < 20 && shot[i + 1] > 100 && shot[i + 1] == shot[i + 2];
    std::printf("%.1f%% of the picture is the cubes' cyan\n", 100.0 * cyan / (width * height));
    EXPECT_GT(cyan, width * height / 50);

    // Silently, the main thread's player starts there, its clock counted
    // from the first row as in the whole show: order 16 starts on time, as
    // the first frame after the row that draws it tells (never before it,
    // late by the timer's and two frames' lag at most).
    const CommandResult silent = browse(dir, "--autoplay", "autoplay&test=worklet-fails&from=1500", 16);
    ASSERT_EQ(silent.status, 0) << silent.err;
    const std::vector<std::string> silent_positions = lines_after(silent.out, "log: periodica: position ");
    ASSERT_GE(silent_positions.size(), 2u) << silent.out;
    EXPECT_EQ(silent_positions[0].substr(0, silent_positions[0].find(' ')), "1500") << silent.out;
    const auto order_16 = first_start(starts, 1600);
    ASSERT_NE(order_16, starts.end());
    int position = 0;
    double seconds = 0, rate = 0;
    ASSERT_EQ(std::sscanf(silent_positions[1].c_str(), "%d at %lf s, %lf", &position, &seconds, &rate), 3);
    EXPECT_EQ(position / 100, 16);
    const double on_time = (order_16->sample - starts.front().sample) / kRate;
    EXPECT_GE(seconds, on_time - 0.02) << silent.out;
    EXPECT_LE(seconds, on_time + 0.1 + 2 / std::max(rate, 5.0)) << silent.out;
    std::filesystem::remove_all(dir);
}
