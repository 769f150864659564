// Dynamic resolution: fed the intervals a GPU of a given speed would give,
// the scale goes down, comes back and settles.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "web/draw_scale.h"

static constexpr double kRefreshMs = 1000.0 / 60;

// What the GPU takes for a frame at a scale, in milliseconds; the frame is
// shown at the first refresh after that.
using FrameCost = std::function<double(double scale)>;

struct Playback {
    double lowest = 1;
    double last = 1;
    int changes = 0;
    double first_change_s = -1;  // seconds into the run
};

static Playback play(double seconds, const FrameCost& cost)
{
    Playback run;
    run.lowest = run.last = draw_scale();
    for (double t = 0; t < seconds * 1000;) {
        const double interval = std::max(1.0, std::ceil(cost(run.last) / kRefreshMs - 1e-9)) * kRefreshMs;
        t += interval;
        const double scale = draw_scale_frame(interval);
        if (scale != run.last) {
            ++run.changes;
            if (run.first_change_s < 0) run.first_change_s = t / 1000;
        }
        run.last = scale;
        run.lowest = std::min(run.lowest, scale);
    }
    return run;
}

// A GPU bound by the pixels it fills: full is the frame's cost at full scale.
static FrameCost filling(double full_ms)
{
    return [full_ms](double scale) { return full_ms * scale * scale; };
}

TEST(DrawScale, FramesOnTimeKeepTheFullPicture)
{
    draw_scale_reset(768);
    EXPECT_EQ(draw_scale(), 1.0);
    const Playback run = play(60, [](double) { return 10.0; });
    EXPECT_EQ(run.changes, 0);
    EXPECT_EQ(run.last, 1.0);
    // Stalls (a hidden page, a long pause) are not the GPU's doing, nor is
    // a late frame now and then (a garbage collection, say).
    for (int k = 0; k < 40; ++k) draw_scale_frame(k % 2 ? 900 : 16.7);
    EXPECT_EQ(draw_scale(), 1.0);
    int frame = 0;
    const Playback some_late = play(60, [&frame](double) { return ++frame % 8 == 0 ? 30.0 : 10.0; });
    EXPECT_EQ(some_late.changes, 0);
}

TEST(DrawScale, LateFramesLowerItSoonButNoLowerThanNeeded)
{
    // Twice a refresh at full scale: 30 frames a second. Scales up to
    // 0.707 fit a refresh.
    draw_scale_reset(768);
    Playback run = play(20, filling(2 * kRefreshMs * 0.999));
    EXPECT_GT(run.first_change_s, 0);
    EXPECT_LE(run.first_change_s, 2.0) << "the first step down comes within a second or two";
    EXPECT_GE(run.lowest, 0.6) << "one step below what fits at most";
    EXPECT_LE(run.last, 0.72);
    // It settles there: steps up are tried less and less often.
    run = play(120, filling(2 * kRefreshMs * 0.999));
    EXPECT_GE(run.lowest, 0.6);
    EXPECT_LE(run.changes, 8) << "in two minutes";
    // At most four steps a second, and only while frames are late: 10 fps.
    draw_scale_reset(768);
    run = play(3, filling(100));
    EXPECT_LE(run.changes, 3);
    EXPECT_LT(run.last, 0.85);
}

TEST(DrawScale, TheFloorKeepsEnoughLines)
{
    // A GPU that never keeps up: the scale goes down to the floor, no lower.
    const struct { int lines; double floor; } cases[] = {{768, 0.5}, {1536, 0.25}, {876, 384.0 / 876}, {360, 1.0}};
    for (const auto& c : cases) {
        draw_scale_reset(c.lines);
        const Playback run = play(30, [](double) { return 50.0; });
        EXPECT_DOUBLE_EQ(run.last, c.floor) << c.lines << " lines";
        EXPECT_DOUBLE_EQ(run.lowest, c.floor) << c.lines << " lines";
    }
}

TEST(DrawScale, HeadroomBringsItBack)
{
    draw_scale_reset(1536);
    Playback run = play(15, filling(60));
    EXPECT_LE(run.last, 0.6);
    // The heavy part is over: frames fit at any scale.
    run = play(40, [](double) { return 8.0; });
    EXPECT_EQ(run.last, 1.0);
    // And from there it stays.
    run = play(30, [](double) { return 8.0; });
    EXPECT_EQ(run.changes, 0);
    EXPECT_EQ(run.last, 1.0);
}

TEST(DrawScale, AlternatingLoadDoesNotMakeItSwing)
{
    // Every other frame late at any scale above 0.6, the others on time;
    // at 0.6 they all fit.
    draw_scale_reset(768);
    int frame = 0;
    Playback run = play(60, [&frame](double scale) { return scale > 0.65 && ++frame % 2 ? 25.0 : 12.0; });
    EXPECT_EQ(run.last, 0.6);
    // Load that comes and goes every second and a half: the scale goes down
    // for the heavy seconds and does not climb back between them.
    draw_scale_reset(768);
    double seconds = 0;
    auto coming_and_going = [&seconds](double scale) {
        const bool heavy = std::fmod(seconds, 3.0) < 1.5;
        const double cost = heavy ? 2 * kRefreshMs * 0.999 * scale * scale : 8;
        seconds += std::max(1.0, std::ceil(cost / kRefreshMs - 1e-9)) * kRefreshMs / 1000;
        return cost;
    };
    run = play(60, coming_and_going);
    EXPECT_GE(run.lowest, 0.6);
    run = play(120, coming_and_going);
    EXPECT_LE(run.changes, 6) << "in the next two minutes: a few tries up, taken back";
    EXPECT_GE(run.lowest, 0.6);
}
