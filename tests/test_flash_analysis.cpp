// The flash analysis on made-up frame sequences at 192x144 and 60 fps: the
// 10° field is 64x48 pixels, a place 8x6. Each case checks the count (in
// changes: a flash is two) and the verdict, in both forms.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

#include "flash_analysis/flash_frames.h"
#include "flash_analysis/flash_summary.h"

constexpr int kWidth = 192, kHeight = 144, kFps = 60;

struct Rgb {
    uint8_t r, g, b;
};
constexpr Rgb kBlack{0, 0, 0}, kWhite{255, 255, 255};

// The colour of pixel x, y in frame f.
using Painter = std::function<Rgb(int f, int x, int y)>;

static FlashSummary analyse(int frames, const Painter& paint, FlashAnalysis* kept = nullptr)
{
    FlashAnalysis local;
    FlashAnalysis& analysis = kept ? *kept : local;
    const FlashGeometry geometry = flash_geometry_of_picture(kWidth, kHeight);
    EXPECT_EQ(flash_geometry_problem(geometry), "");
    flash_start(&analysis, geometry, kFps);
    std::vector<uint8_t> rgb(static_cast<size_t>(kWidth) * kHeight * 3);
    for (int f = 0; f < frames; ++f) {
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const Rgb colour = paint(f, x, y);
                uint8_t* pixel = &rgb[(static_cast<size_t>(y) * kWidth + x) * 3];
                pixel[0] = colour.r, pixel[1] = colour.g, pixel[2] = colour.b;
            }
        flash_take_frame(&analysis, rgb.data(), 3, f);
    }
    return summarise_flashes(analysis.windows, kFps);
}

// Two colours taking turns, changing hertz * 2 times a second.
static Painter flicker(double hertz, Rgb one, Rgb other)
{
    return [=](int f, int, int) { return static_cast<int>(f * hertz * 2 / kFps) % 2 ? other : one; };
}

// The flicker inside a rectangle, black around it.
static Painter patch(int left, int top, int width, int height, double hertz)
{
    const Painter inside = flicker(hertz, kBlack, kWhite);
    return [=](int f, int x, int y) {
        return x >= left && x < left + width && y >= top && y < top + height ? inside(f, x, y) : kBlack;
    };
}

// The worst second's changes in each form, general and red.
struct Worst {
    int wcag, broadcast;
};
static Worst worst(const FlashSummary& s) { return {s.worst[kWcagForm].changes, s.worst[kBroadcastForm].changes}; }
static bool operator==(Worst a, Worst b) { return a.wcag == b.wcag && a.broadcast == b.broadcast; }
static std::ostream& operator<<(std::ostream& out, Worst w) { return out << "{" << w.wcag << ", " << w.broadcast << "}"; }

TEST(FlashAnalysis, FullScreenFlickerFailsAtFourHertzAndPassesAtTwo)
{
    const FlashSummary fast = analyse(3 * kFps, flicker(4, kBlack, kWhite));
    EXPECT_EQ(worst(fast), (Worst{8, 8}));  // 4 flashes in every second
    EXPECT_FALSE(fast.passes[kWcagForm] || fast.passes[kBroadcastForm]);
    EXPECT_EQ(fast.worst[kWcagForm].kind, kGeneralFlash);
    const FlashSummary slow = analyse(3 * kFps, flicker(2, kBlack, kWhite));
    EXPECT_EQ(worst(slow), (Worst{4, 4}));
    EXPECT_TRUE(slow.passes[kWcagForm] && slow.passes[kBroadcastForm]);
}

TEST(FlashAnalysis, APatchCountsByItsShareOfTheFieldAndOfTheScreen)
{
    // 24x24 = 576 pixels, under a quarter of the 64x48 field (768), on whole places.
    const FlashSummary small = analyse(2 * kFps, patch(64, 48, 24, 24, 4));
    EXPECT_EQ(worst(small), (Worst{0, 0}));
    EXPECT_TRUE(small.passes[kWcagForm] && small.passes[kBroadcastForm]);
    // 48x36 = 1728: over a quarter of the field, under a quarter of the screen (6912).
    const FlashSummary larger = analyse(2 * kFps, patch(64, 48, 48, 36, 4));
    EXPECT_EQ(worst(larger), (Worst{8, 0}));
    EXPECT_FALSE(larger.passes[kWcagForm]);
    EXPECT_TRUE(larger.passes[kBroadcastForm]);
    // 112x72 = 8064, over a quarter of the screen, anywhere.
    EXPECT_EQ(worst(analyse(2 * kFps, patch(13, 61, 112, 72, 4))), (Worst{8, 8}));
}

TEST(FlashAnalysis, AChangeBuildsUpOverFramesAndOnlyChangesOfATenthCount)
{
    // Dark to light over a second and back over the next: one flash, not one per frame.
    const FlashSummary fade = analyse(2 * kFps, [](int f, int, int) {
        const int level = (f < kFps ? f : 2 * kFps - f) * 255 / kFps;
        const uint8_t v = static_cast<uint8_t>(level);
        return Rgb{v, v, v};
    });
    EXPECT_EQ(worst(fade), (Worst{2, 2}));
    // Black and sRGB 80 are 0.08 apart in relative luminance (0.31 before decoding): no flash.
    EXPECT_EQ(worst(analyse(2 * kFps, flicker(4, kBlack, Rgb{80, 80, 80}))), (Worst{0, 0}));
    // Black and sRGB 95 are 0.11 apart: a flash at every turn.
    EXPECT_EQ(worst(analyse(2 * kFps, flicker(4, kBlack, Rgb{95, 95, 95}))), (Worst{8, 8}));
}

TEST(FlashAnalysis, ChangesAmongLightGreysAreNotFlashes)
{
    // sRGB 235 is 0.83 and white 1.0: the darker image is not below 0.8.
    const FlashSummary light = analyse(2 * kFps, flicker(4, Rgb{235, 235, 235}, kWhite));
    EXPECT_EQ(worst(light), (Worst{0, 0}));
    // sRGB 220 is 0.72: the same flicker from there is a flash at every turn.
    EXPECT_EQ(worst(analyse(2 * kFps, flicker(4, Rgb{220, 220, 220}, kWhite))), (Worst{8, 8}));
}

TEST(FlashAnalysis, OnlySaturatedRedMakesRedFlashes)
{
    const FlashSummary red = analyse(2 * kFps, flicker(4, kBlack, Rgb{255, 0, 0}));
    EXPECT_EQ(red.worst[kWcagForm].changes, 8);
    EXPECT_FALSE(red.passes[kWcagForm] || red.passes[kBroadcastForm]);
    // The red flashes alone: full red is 0.21 in luminance, a general flash too.
    // sRGB 203, 92, 92 has the same luminance, but R / (R + G + B) is 0.74.
    FlashAnalysis analysis;
    for (const Rgb colour : {Rgb{255, 0, 0}, Rgb{203, 92, 92}}) {
        flash_start(&analysis, flash_geometry_of_picture(kWidth, kHeight), kFps);
        std::vector<uint8_t> rgb(static_cast<size_t>(kWidth) * kHeight * 3);
        for (int f = 0; f < 2 * kFps; ++f) {
            const Rgb now = flicker(4, kBlack, colour)(f, 0, 0);
            for (size_t i = 0; i < rgb.size(); i += 3) rgb[i] = now.r, rgb[i + 1] = now.g, rgb[i + 2] = now.b;
            flash_take_frame(&analysis, rgb.data(), 3, f);
        }
        const FlashWindow& last = analysis.windows.back();
        const bool saturated = colour.g == 0;
        EXPECT_EQ(last.changes[kRedFlash][kWcagForm], saturated ? 8 : 0) << int(colour.r);
        EXPECT_EQ(last.changes[kRedFlash][kBroadcastForm], saturated ? 8 : 0) << int(colour.r);
        EXPECT_EQ(last.changes[kGeneralFlash][kBroadcastForm], 8) << int(colour.r);
    }
}

TEST(FlashAnalysis, SlidingBarsCountAtEachPlaceTheyPass)
{
    // Bars of half light (sRGB 188) 12 pixels wide, 24 apart, on black: at
    // 1 pixel a frame a bar passes each place 2.5 times a second, at 2 pixels
    // 5 times. (White bars would count their fall a frame later than their
    // rise, once under 0.8, so a second could hold one change more. And the
    // first second may too: a place caught half lit at the start turns sooner.)
    const auto bars = [](int speed) {
        return [=](int f, int x, int) { return (x + f * speed) % 24 < 12 ? Rgb{188, 188, 188} : kBlack; };
    };
    const auto steady = [](const FlashAnalysis& analysis) {
        Worst most{0, 0};
        for (size_t i = 2 * kFps; i < analysis.windows.size(); ++i) {
            most.wcag = std::max<int>(most.wcag, analysis.windows[i].changes[kGeneralFlash][kWcagForm]);
            most.broadcast = std::max<int>(most.broadcast, analysis.windows[i].changes[kGeneralFlash][kBroadcastForm]);
        }
        return most;
    };
    FlashAnalysis analysis;
    const FlashSummary slow = analyse(4 * kFps, bars(1), &analysis);
    EXPECT_EQ(steady(analysis), (Worst{5, 5}));
    EXPECT_TRUE(slow.passes[kWcagForm] && slow.passes[kBroadcastForm]);
    const FlashSummary fast = analyse(4 * kFps, bars(2), &analysis);
    EXPECT_EQ(steady(analysis), (Worst{10, 10}));
    EXPECT_FALSE(fast.passes[kWcagForm] || fast.passes[kBroadcastForm]);
}

TEST(FlashAnalysis, FlashingForOverFiveSecondsIsFlaggedEvenUnderTheLimit)
{
    const FlashSummary six = analyse(6 * kFps, flicker(2.5, kBlack, kWhite));
    EXPECT_EQ(worst(six), (Worst{5, 5}));
    EXPECT_TRUE(six.passes[kWcagForm] && six.passes[kBroadcastForm]);
    ASSERT_EQ(six.extended[kBroadcastForm].size(), 1u);
    EXPECT_EQ(six.extended[kWcagForm].size(), 1u);
    EXPECT_GT(six.extended[kBroadcastForm][0].seconds, 5.0);
    const FlashSummary four = analyse(4 * kFps, flicker(2.5, kBlack, kWhite));
    EXPECT_TRUE(four.extended[kWcagForm].empty() && four.extended[kBroadcastForm].empty());
}

TEST(FlashAnalysis, PicturesTooSmallForItsPlacesAreRefused)
{
    // 24 places down: a picture of 20 lines can't hold them.
    EXPECT_NE(flash_geometry_problem(flash_geometry_of_picture(32, 20)), "");
    EXPECT_EQ(flash_geometry_problem(flash_geometry_of_picture(32, 24)), "");
    // A 16:9 frame holding a 4:3 picture: the field follows the picture.
    FlashGeometry video = flash_geometry_of_picture(1440, 1080);
    video.width = 1920;
    EXPECT_EQ(flash_geometry_problem(video), "");
}
