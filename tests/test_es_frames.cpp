// Every section of the show drawn through the fixed-function layer on
// OpenGL ES (periodica-capture --es) against OpenGL 1.x: at most 0.5% of the
// pixels of each frame may differ by more than 24 levels in a channel.
#include <gtest/gtest.h>

#include <string>

#include "tests/picture_compare.h"
#include "tests/test_files.h"

// One frame per section, in show order.
static const char* const kFrames[] = {"0150+1s",   "0450+2s", "0606+0.8s", "0800+2s", "1000+1s",
                                      "1150+2s",   "1400+1s", "1550+1s",   "1700+1s", "1862+0.25s"};
static const char kFramesAt[] = "150@1,450@2,606@0.8,800@2,1000@1,1150@2,1400@1,1550@1,1700@1,1862@0.25";

static bool capture(const std::string& out, const char* extra)
{
    return run_command(std::string(CAPTURE_BINARY) + " " + extra + " --data " + CAPTURE_DATA_DIR + " --out " + out +
                       " --frames-at " + kFramesAt + " >/dev/null", 800) == 0;
}

TEST(EsFrames, EverySectionLooksAsInOpenGl)
{
    const std::string dir = scratch_dir("es_frames");
    ASSERT_TRUE(capture(dir + "/gl", "") && capture(dir + "/es", "--es")) << "periodica-capture failed";
    for (const char* frame : kFrames) {
        SCOPED_TRACE(frame);
        const double share = share_over_24_levels(dir + "/es/at_" + frame + ".png", dir + "/gl/at_" + frame + ".png");
        std::printf("%s: %.3f%% of the pixels over 24 levels\n", frame, 100 * share);
        EXPECT_LE(share, 0.005);
    }
    std::filesystem::remove_all(dir);
}
