// The page on phones and every screen, in headless Chromium with device
// emulation: the start screen fits, touch starts and ends the show (a first
// tap after the Full screen button has gone only brings it back), the
// screen is kept awake, the drawing buffer follows the device's pixels, a
// 2x frame matches the capture at 2048x1536, and Play after any end starts
// a show again.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/picture_compare.h"
#include "tests/test_files.h"
#include "tests/web_test.h"

static void expect_no_errors(const std::string& out)
{
    EXPECT_TRUE(lines_after(out, "exception:").empty() && lines_after(out, "error:").empty()) << out;
}

// What the page's layout gives: the page's width for scrolling, the
// viewport, the title's and the Play button's boxes, the hint's words.
static const char kMeasure[] =
    "(() => { const box = id => { const r = document.querySelector(id).getBoundingClientRect();"
    " return [r.left, r.top, r.right, r.bottom].join(\" \"); };"
    " return [document.documentElement.scrollWidth, innerWidth, innerHeight, box(\"h1\"), box(\"#play\"),"
    " getComputedStyle(document.getElementById(\"start\")).backgroundImage.slice(0, 9),"
    " document.getElementById(\"hint\").textContent].join(\" \"); })()";

TEST(WebScreens, TheStartScreenFitsPhonesAndDesktopsInItsWords)
{
    ASSERT_TRUE(file_exists(WEB_PAGE)) << WEB_PAGE << " is missing (make web writes it)";
    const struct { const char* screen; bool phone; } screens[] = {
        {"320,568,2", true}, {"390,844,3", true}, {"844,390,3", true}, {"1920,1080,1", false}};
    for (const auto& s : screens) {
        SCOPED_TRACE(s.screen);
        const std::string dir = scratch_dir("web_start_screen");
        const CommandResult run = browse(dir, std::string("--screen ") + s.screen + (s.phone ? " --phone" : ""), "",
                                         3, std::string("'2.5>") + dir + "/layout.txt=" + kMeasure + "'");
        ASSERT_EQ(run.status, 0) << run.err;
        expect_no_errors(run.out);
        std::istringstream layout(read_text(dir + "/layout.txt"));
        double scroll_width = 0, width = 0, height = 0, title[4] = {}, play[4] = {};
        std::string face, hint;
        layout >> scroll_width >> width >> height >> title[0] >> title[1] >> title[2] >> title[3] >> play[0] >>
            play[1] >> play[2] >> play[3] >> face;
        std::getline(layout, hint);
        EXPECT_LE(scroll_width, width) << "the page scrolls sideways";
        for (const double* box : {title, play}) {
            EXPECT_TRUE(box[0] >= 0 && box[1] >= 0 && box[2] <= width && box[3] <= height)
                << (box == title ? "the title" : "Play") << " at " << box[0] << "," << box[1] << " to " << box[2]
                << "," << box[3] << " in " << width << "x" << height;
        }
        EXPECT_EQ(face, "url(\"blob") << "no still behind the title";
        EXPECT_NE(hint.find(s.phone ? "A tap on the picture" : "A click on the picture"), std::string::npos) << hint;
        std::filesystem::remove_all(dir);
    }
}

// Browsers drop a screen wake lock when the page is hidden; this stand-in
// does too, and says on the console what the page asks of it.
static const char kWakeLockStandIn[] =
    "'(() => { const locks = []; document.addEventListener(\"visibilitychange\", () => {"
    " if (document.visibilityState === \"hidden\") locks.forEach(l => { l.released = true; }); });"
    " Object.defineProperty(navigator, \"wakeLock\", { value: { request: type => {"
    " console.log(\"wake lock: request \" + type); const lock = { released: false, release() {"
    " if (!this.released) console.log(\"wake lock: release\"); this.released = true; return Promise.resolve(); } };"
    " locks.push(lock); return Promise.resolve(lock); } } }); })()'";

TEST(WebScreens, OnAPhoneATapPlaysTwoTapsEndAndTheScreenStaysAwakeMeanwhile)
{
    ASSERT_TRUE(file_exists(WEB_PAGE)) << WEB_PAGE << " is missing (make web writes it)";
    const std::string dir = scratch_dir("web_phone");
    // Portrait at 3x: the canvas is 390 CSS pixels wide, 1170 device pixels.
    // Untouched since Play, the Full screen button has gone by 20 s: the
    // first tap brings it back, the second ends the show.
    const std::string button = "getComputedStyle(document.getElementById(\"fullscreen\")).opacity";
    const CommandResult run = browse(
        dir, std::string("--phone --screen 390,844,3 --before ") + kWakeLockStandIn, "", 24,
        std::string("2=@tap:#play 9=@hide 12=@show '19.5=console.log(\"button before: \" + ") + button + ")' "
            "20=@tap:#stage '20.8=console.log(\"button after: \" + " + button + ")' " + page_state_action(20.9) +
            " 21.2=@tap:#stage");
    ASSERT_EQ(run.status, 0) << run.err;
    expect_no_errors(run.out);
    const std::vector<std::string> log = lines_after(run.out, "log: ");
    const auto index_of = [&](const std::string& text, size_t from = 0) {
        for (size_t i = from; i < log.size(); ++i)
            if (log[i].rfind(text, 0) == 0) return i;
        return log.size();
    };
    const size_t shown = index_of("periodica: position ");
    ASSERT_LT(shown, log.size()) << "the tap on Play started no show\n" << run.out;
    const size_t back = index_of("periodica: start screen", shown);
    EXPECT_LT(back, log.size()) << "the second tap on the picture did not end the show\n" << run.out;
    const size_t woken = index_of("page state: ", shown);
    ASSERT_LT(woken, log.size()) << run.out;
    EXPECT_LT(woken, back) << "the tap that found the button gone ended the show\n" << run.out;
    EXPECT_NE(log[woken].find("\"canvas\":true"), std::string::npos) << log[woken];
    EXPECT_EQ(lines_after(run.out, "log: button "), (std::vector<std::string>{"before: 0", "after: 0.45"})) << run.out;
    // Taken at the start, again when the page came back, let go at the end.
    std::vector<std::string> wake;
    for (const std::string& line : log)
        if (line.rfind("wake lock: ", 0) == 0) wake.push_back(line.substr(11));
    EXPECT_EQ(wake, (std::vector<std::string>{"request screen", "request screen", "release"})) << run.out;
    size_t last_drawn = 0;
    for (size_t i = shown; i < back; i = index_of("periodica: position ", i + 1)) last_drawn = i;
    EXPECT_GT(index_of("wake lock: release"), last_drawn) << "let go before the end";
    // The show starts at the device's pixels (a slow GPU may then lower them).
    const std::vector<PositionLine> drawn = position_lines(run.out);
    ASSERT_FALSE(drawn.empty()) << run.out;
    const int width = drawn[0].width, height = drawn[0].height;
    std::printf("drawing buffer at 390x844, device pixel ratio 3: %dx%d\n", width, height);
    EXPECT_TRUE(width > 1160 && width <= 1170 && width * 3 == height * 4) << width << "x" << height;
    std::filesystem::remove_all(dir);
}

TEST(WebScreens, TheDrawingBufferFollowsTheDevicePixelsUpTo2048x1536)
{
    ASSERT_TRUE(file_exists(WEB_PAGE)) << WEB_PAGE << " is missing (make web writes it)";
    const struct { const char* screen; int width; } screens[] = {{"1024,768,1", 1024}, {"1024,768,2", 2048},
                                                                 {"1920,1080,3", 2048}, {"800,600,2", 1600}};
    for (const auto& s : screens) {
        const std::string dir = scratch_dir("web_buffer");
        const CommandResult run = browse(dir, std::string("--autoplay --screen ") + s.screen, "autoplay", 3);
        ASSERT_EQ(run.status, 0) << run.err;
        // The first frame's, before a slow GPU could lower them.
        const std::vector<PositionLine> drawn = position_lines(run.out);
        ASSERT_FALSE(drawn.empty()) << s.screen << ": no frame drawn\n" << run.out;
        const int width = drawn[0].width, height = drawn[0].height;
        std::printf("drawing buffer at %s: %dx%d\n", s.screen, width, height);
        EXPECT_EQ(width, s.width) << s.screen;
        EXPECT_EQ(height, s.width * 3 / 4) << s.screen;
        std::filesystem::remove_all(dir);
    }
}

TEST(WebScreens, TwiceTheFramesSizeLooksAsTheCaptureAt2048x1536)
{
    ASSERT_TRUE(file_exists(WEB_PAGE)) << WEB_PAGE << " is missing (make web writes it)";
    const std::string dir = scratch_dir("web_2x");
    ASSERT_EQ(run_command(std::string(CAPTURE_BINARY) + " --data " + CAPTURE_DATA_DIR + " --out " + dir +
                          "/capture --width 2048 --height 1536 --frames-at 150@1,450@2 >/dev/null", 900), 0);
    const struct { const char* target; const char* capture_file; } frames[] = {
        {"150@1", "at_0150+1s.png"}, {"450@2", "at_0450+2s.png"}};
    for (const auto& [target, capture_file] : frames) {
        const std::string shot = dir + "/chromium_" + target + ".png";
        EXPECT_EQ(chromium_screenshot(std::string("frame=") + target + "&scale=2", shot, dir,
                                      "--force-device-scale-factor=2"), 0) << target;
        const double share = share_over_24_levels(shot, dir + "/capture/" + capture_file);
        std::printf("%s at 2048x1536 in Chromium: %.3f%% of the pixels over 24 levels\n", target, 100 * share);
        EXPECT_LE(share, 0.03) << target;
    }
    std::filesystem::remove_all(dir);
}

// Three shows in one page, each started by Play after the last one ended:
// the first by a click, the second by a lost WebGL context (the start screen
// then says so), the third by its own end, ?from=1800 being ten seconds
// from it. Each Play starts a show whose first position line arrives.
TEST(WebScreens, EveryPlayAfterAnEndStartsAShowHoweverTheLastOneEnded)
{
    ASSERT_TRUE(file_exists(WEB_PAGE)) << WEB_PAGE << " is missing (make web writes it)";
    const std::string dir = scratch_dir("web_play_again");
    const std::string play = "document.getElementById(\"play\").click()";
    // Each show gets 5 s to start before it is ended (it starts in 1-2 s),
    // and the third 19 s to end by itself.
    const CommandResult run = browse(
        dir, "", "from=1800", 34,
        "'1=" + play + "' '6=document.getElementById(\"stage\").dispatchEvent(new MouseEvent(\"mousedown\"))' '7=" +
            play + "' '12=canvas.getContext(\"webgl\").getExtension(\"WEBGL_lose_context\").loseContext()' '13>" +
            dir + "/message.txt=document.getElementById(\"start\").hidden + \" \" + "
            "document.getElementById(\"message\").textContent' '14=" + play + "' " + page_state_action(33.5));
    ASSERT_EQ(run.status, 0) << run.err;
    expect_no_errors(run.out);
    const std::string message = read_text(dir + "/message.txt");
    EXPECT_EQ(message.rfind("false ", 0), 0u) << "the lost context did not bring the start screen back: " << message;
    EXPECT_NE(message.find("WebGL context was lost"), std::string::npos) << message;
    // The start screen at the page's opening and after each show; between
    // each two, one show's first position line.
    const std::vector<int> first_positions = first_positions_after_start_screens(run.out);
    EXPECT_EQ(first_positions.size(), 4u) << run.out;
    ASSERT_GE(first_positions.size(), 3u) << run.out;
    for (size_t show = 0; show < 3; ++show)
        EXPECT_EQ(first_positions[show], 1800) << "show " << show + 1 << " printed no first position line\n" << run.out;
    std::filesystem::remove_all(dir);
}

// Each Play runs a fresh program on a fresh canvas; once its show is over
// nothing may keep it, or its WebGL context, alive: past 16 live contexts
// the browser takes the oldest away, saying so, and the page grows by a
// program per show.
TEST(WebScreens, ManyShowsInOnePageLeaveNoProgramOrContextBehind)
{
    ASSERT_TRUE(file_exists(WEB_PAGE)) << WEB_PAGE << " is missing (make web writes it)";
    const std::string dir = scratch_dir("web_many_shows");
    constexpr int kShows = 18;
    std::string actions;
    for (int show = 0; show < kShows; ++show) {
        const double at = 1 + 2.5 * show;
        actions += "'" + std::to_string(at) + "=document.getElementById(\"play\").click()' '" +
                   std::to_string(at + 1.5) +
                   "=document.getElementById(\"stage\").dispatchEvent(new MouseEvent(\"mousedown\"))' ";
    }
    const CommandResult run = browse(dir, "", "", 1 + 2.5 * kShows + 2, actions);
    ASSERT_EQ(run.status, 0) << run.err;
    expect_no_errors(run.out);
    int screens = 0;
    for (const std::string& line : lines_after(run.out, "log: ")) screens += line == "periodica: start screen";
    EXPECT_EQ(screens, kShows + 1) << run.out;
    EXPECT_EQ(run.out.find("Too many active WebGL contexts"), std::string::npos) << run.out;
    std::filesystem::remove_all(dir);
}
