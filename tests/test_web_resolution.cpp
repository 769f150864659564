// The page's dynamic resolution in headless Chromium: where frames come
// late it draws fewer lines (never fewer than 384), ?resolution=full keeps
// them all, and the show starts at the device's pixels.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/test_files.h"
#include "tests/web_test.h"

// Every animation frame holds the main thread for 45 ms after the page's
// own callback: frames 50 ms apart, whatever this machine's GPU does. (After
// it, so the sound's reports that came meanwhile are read before the next
// frame, as they are where a slow GPU holds the frames up.)
static const char kSlowFrames[] =
    "'(function () { const own = window.requestAnimationFrame.bind(window);"
    " window.requestAnimationFrame = function (callback) { return own(function (time) {"
    " callback(time); const until = performance.now() + 45; while (performance.now() < until) {} }); }; })();'";

TEST(WebResolution, LateFramesDrawFewerLinesUnlessFullResolutionIsAsked)
{
    ASSERT_TRUE(file_exists(WEB_PAGE)) << WEB_PAGE << " is missing (make web writes it)";
    for (const bool full : {false, true}) {
        SCOPED_TRACE(full ? "?resolution=full" : "the page as it opens");
        const std::string dir = scratch_dir("web_resolution");
        const CommandResult run = browse(dir, std::string("--autoplay --screen 1024,768,1 --before ") + kSlowFrames,
                                         std::string("autoplay&from=1300") + (full ? "&resolution=full" : ""), 20);
        ASSERT_EQ(run.status, 0) << run.err;
        const std::vector<PositionLine> lines = position_lines(run.out);
        ASSERT_GE(lines.size(), 2u) << "the show drew less than two orders\n" << run.out;
        EXPECT_EQ(lines[0].position, 1300);
        EXPECT_EQ(lines[0].height, 768) << "the show starts at the device's pixels";
        for (size_t k = 1; k < lines.size(); ++k) {
            const PositionLine& p = lines[k];
            std::printf("position %d drawn at %dx%d%s\n", p.position, p.width, p.height, full ? ", full asked" : "");
            EXPECT_EQ(p.width * 3, p.height * 4) << "not 4:3";
            if (full) {
                EXPECT_EQ(p.height, 768) << "at position " << p.position;
            } else {
                EXPECT_LT(p.height, 768) << "at position " << p.position << ", frames 50 ms apart";
                EXPECT_GE(p.height, 384) << "at position " << p.position;
            }
        }
        std::filesystem::remove_all(dir);
    }
}
