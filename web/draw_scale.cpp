#include "web/draw_scale.h"

#include <algorithm>
#include <iterator>

// Each step draws about 0.7 times the pixels of the one above. On a
// software GPU the cube field's cost follows the lines drawn more than the
// pixels (its thousands of thin outline triangles cost per row they cross),
// so a step takes about a seventh off a frame; a smaller step would need
// more seconds to get down, a larger one would throw away more picture
// than needed. The last steps serve ratio-2 screens, whose full buffer is
// twice 768 lines.
static constexpr double kSteps[] = {1, 0.85, 0.72, 0.6, 0.5, 0.42, 0.35, 0.3, 0.25};
static constexpr int kStepCount = static_cast<int>(sizeof kSteps / sizeof kSteps[0]);

// A frame is late when it missed a 60 Hz display's refresh: shown a
// refresh later than it should be (33 ms apart from the last, where 16.7
// is on time). 25 ms is halfway; a faster display's frames count late only
// below 40 a second, which is where a viewer sees them stutter.
static constexpr double kLateMs = 25;
// Longer than this is a stall (a hidden page, a pause of the whole
// browser), not the GPU: not counted.
static constexpr double kStallMs = 250;
// After a change, the first frames pay for the new drawing buffer: their
// time is not counted. Then frames are judged over a window, so a choice
// rests on 20-45 frames and a change comes at most once a second.
static constexpr double kSettleMs = 250;
static constexpr double kWindowMs = 750;
// A window with more than a quarter of its frames late steps down (a few
// late frames, a garbage collection say, do not). Frames 40 ms apart or
// more on average (25 a second) take two steps, 60 ms (16 a second) three:
// so a ratio-2 screen, whose cube field runs at 12-14 frames a second in
// full, gets to a scale that holds in a few seconds. At 30 frames a second
// one step a window does it, and more would overshoot: a frame shown a
// refresh late tells nothing of how close it came to being on time.
static constexpr double kDownShare = 0.25;
static constexpr double kTwoDownMeanMs = 40;
static constexpr double kThreeDownMeanMs = 60;
// A step up is tried after this long with no window over kCalmShare late;
// one that then brings a window over kCalmShare late is taken back, and
// tried again only after twice the wait, up to kLongestWaitMs.
static constexpr double kCalmShare = 0.1;
static constexpr double kFirstWaitMs = 3000;
static constexpr double kLongestWaitMs = 48000;

static int step = 0;
static int lowest_step = 0;
static double floor_scale = 1;
static double settle_left_ms = 0;
static double window_ms = 0;
static int window_frames = 0;
static int late_frames = 0;
static double calm_ms = 0;  // since the last window that was not calm
static bool trying_up = false;  // the window running judges a step up
static double wait_ms[kStepCount];  // before a step up to each step is tried

void draw_scale_reset(int device_lines)
{
    floor_scale = device_lines > kFewestLines ? static_cast<double>(kFewestLines) / device_lines : 1;
    lowest_step = 0;
    while (lowest_step + 1 < kStepCount && kSteps[lowest_step] > floor_scale) ++lowest_step;
    step = 0;
    settle_left_ms = kSettleMs;
    window_ms = 0;
    window_frames = late_frames = 0;
    calm_ms = 0;
    trying_up = false;
    std::fill(std::begin(wait_ms), std::end(wait_ms), kFirstWaitMs);
}

double draw_scale()
{
    return std::max(kSteps[step], floor_scale);
}

static void change_to(int new_step)
{
    step = std::clamp(new_step, 0, lowest_step);
    settle_left_ms = kSettleMs;
    calm_ms = 0;
}

// A window is over: steps down when too many of its frames were late,
// takes back a step up that did not hold, or tries one after a calm while.
static void judge_window()
{
    const double late_share = static_cast<double>(late_frames) / window_frames;
    const double mean_ms = window_ms / window_frames;
    const bool calm = late_share <= kCalmShare;
    if (trying_up) {
        trying_up = false;
        if (!calm) {
            wait_ms[step] = std::min(2 * wait_ms[step], kLongestWaitMs);
            change_to(step + 1);
            return;
        }
    }
    if (late_share > kDownShare) {
        const int down = mean_ms > kThreeDownMeanMs ? 3 : mean_ms > kTwoDownMeanMs ? 2 : 1;
        if (step < lowest_step) change_to(step + down);
        calm_ms = 0;
        return;
    }
    calm_ms = calm ? calm_ms + window_ms : 0;
    if (step > 0 && calm_ms >= wait_ms[step - 1]) {
        change_to(step - 1);
        trying_up = true;
    }
}

double draw_scale_frame(double interval_ms)
{
    if (!(interval_ms > 0) || interval_ms > kStallMs) return draw_scale();
    if (settle_left_ms > 0) {
        settle_left_ms -= interval_ms;
        return draw_scale();
    }
    window_ms += interval_ms;
    ++window_frames;
    if (interval_ms > kLateMs) ++late_frames;
    if (window_ms >= kWindowMs) {
        judge_window();
        window_ms = 0;
        window_frames = late_frames = 0;
    }
    return draw_scale();
}
