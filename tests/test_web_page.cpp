// The web build's page in real browsers: single frames (?frame=) in
// headless Chromium, and one in Firefox, against the capture's frames; and
// the show in real time in headless Chromium, started by ?autoplay, ended by
// a click and started again by the Play button.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "offline/offline_ticks.h"
#include "player/player.h"
#include "sound/sound_device.h"
#include "tests/picture_compare.h"
#include "tests/test_files.h"
#include "tests/web_test.h"

TEST(WebPage, SingleFramesLookAsTheCapturesInChromiumAndFirefox)
{
    ASSERT_TRUE(file_exists(WEB_PAGE)) << WEB_PAGE << " is missing (make web writes it)";
    // The rings and title, the picture flashes, the lit tube: 2D and 3D.
    const struct { const char* target; const char* capture_file; } frames[] = {
        {"150@1", "at_0150+1s.png"}, {"450@2", "at_0450+2s.png"}, {"1400@1", "at_1400+1s.png"}};
    const std::string dir = scratch_dir("web_frames");
    ASSERT_EQ(run_command(std::string(CAPTURE_BINARY) + " --data " + CAPTURE_DATA_DIR + " --out " + dir +
                          "/capture --frames-at 150@1,450@2,1400@1 >/dev/null", 900), 0);
    for (const auto& frame : frames) {
        const std::string shot = dir + "/chromium_" + frame.target + ".png";
        EXPECT_EQ(chromium_screenshot(std::string("frame=") + frame.target, shot, dir), 0) << frame.target;
        const double share = share_over_24_levels(shot, dir + "/capture/" + frame.capture_file);
        std::printf("%s in Chromium: %.3f%% of the pixels over 24 levels\n", frame.target, 100 * share);
        EXPECT_LE(share, 0.03) << frame.target;
    }
    const std::string firefox_shot = dir + "/firefox_450@2.png";
    EXPECT_EQ(run_command(std::string("bash ") + FIREFOX_FRAME + " " + page_url("frame=450@2") + " " + firefox_shot +
                          " >" + dir + "/firefox.log 2>&1"), 0) << read_text(dir + "/firefox.log");
    const double share = share_over_24_levels(firefox_shot, dir + "/capture/at_0450+2s.png");
    std::printf("450@2 in Firefox: %.3f%% of the pixels over 24 levels\n", 100 * share);
    EXPECT_LE(share, 0.03);
    std::filesystem::remove_all(dir);
}

// When each order position starts, in seconds after the first row: the
// player run tick by tick on the module, as the show's clock should see it.
static std::vector<double> order_starts(int orders)
{
    std::vector<uint8_t> module = read_file(std::string(CAPTURE_DATA_DIR) + "/zentaro.mod");
    install_offline_device(2, kTicksPerSecond, pt_tick);
    if (module.empty() || !pt_load(module.data(), module.size())) return {};
    ticks_reset();
    pt_tick_observer = [](const TickReport& r) { ticks_record(r.order_pos, r.row, r.pattern_loop); };
    for (int tick = 0; tick < orders * 64 * 32; ++tick) pt_tick();
    std::vector<double> starts;
    for (int order = 0; order < orders; ++order)
        starts.push_back(static_cast<double>(ticks_first_start(order * 100) - ticks_first_start(0)) / kTicksPerSecond);
    return starts;
}

// The console lines "periodica: position P at T s..." of one run of the show.
struct ShowRun {
    std::vector<std::pair<int, double>> positions;
    int silent_notes = 0;  // "playing silently"
};

TEST(WebPage, TheShowRunsInRealTimeAtTheMusicsPace)
{
    ASSERT_TRUE(file_exists(WEB_PAGE)) << WEB_PAGE << " is missing (make web writes it)";
    const std::string dir = scratch_dir("web_realtime");
    // 30 s of ?autoplay, a click on the picture, then the Play button and 14 s more.
    const CommandResult run = browse(dir, "", "autoplay", 45,
                                     "\"30=document.getElementById('canvas').dispatchEvent("
                                     "new MouseEvent('mousedown', {bubbles: true}))\" "
                                     "\"31=document.getElementById('play').click()\" " +
                                         page_state_action(44.5));
    ASSERT_EQ(run.status, 0) << run.err;
    std::printf("%s", run.out.c_str());  // the console, for the frame rates it reports

    std::vector<ShowRun> runs(1);
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_TRUE(line.rfind("error:", 0) != 0 && line.rfind("exception:", 0) != 0 &&
                    line.find("Aborted") == std::string::npos) << line;
        int position = 0;
        double seconds = 0;
        if (std::sscanf(line.c_str(), "log: periodica: position %d at %lf s", &position, &seconds) == 2)
            runs.back().positions.emplace_back(position, seconds);
        if (line.find("playing silently") != std::string::npos) ++runs.back().silent_notes;
        if (line == "log: periodica: start screen") runs.emplace_back();
    }
    // The click ended the first run, bringing back the start screen, whose
    // Play button started the second.
    ASSERT_EQ(runs.size(), 2u) << run.out;
    EXPECT_LE(runs[0].silent_notes, 1) << "said more than once that it plays silently";
    EXPECT_EQ(runs[1].silent_notes, 0) << "after a click on Play the sound must start";

    const std::vector<double> starts = order_starts(4);
    ASSERT_EQ(starts.size(), 4u);
    // Orders 0-2 in 30 s, 0-1 in 14 s, with room for a slow start.
    const size_t least_lines[] = {3, 2};
    for (int index = 0; index < 2; ++index) {
        SCOPED_TRACE(index == 0 ? "autoplay" : "Play");
        EXPECT_GE(runs[index].positions.size(), least_lines[index]) << run.out;
        for (const auto& [position, seconds] : runs[index].positions) {
            const size_t order = static_cast<size_t>(position / 100);
            ASSERT_LT(order, starts.size());
            // Sound runs ahead of the picture by the buffers queued at the
            // start, at most a quarter second; a frame is at most 1/20 s.
            EXPECT_NEAR(seconds, starts[order], 0.4) << "position " << position;
        }
    }

    // The picture at the end: the second run's show, not a blank page.
    int width = 0, height = 0;
    const std::vector<uint8_t> shot = read_png_rgba(dir + "/show.png", &width, &height);
    ASSERT_EQ(width * height, 1024 * 768);
    int lit = 0;
    for (size_t i = 0; i < shot.size(); i += 4) lit += shot[i] > 40 || shot[i + 1] > 40 || shot[i + 2] > 40;
    EXPECT_GT(lit, width * height / 10);
    std::filesystem::remove_all(dir);
}
