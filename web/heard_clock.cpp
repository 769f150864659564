#include "web/heard_clock.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <vector>

// The position before the player has started its first row.
static constexpr int32_t kBeforeFirstRow = -37;

struct PositionStart {
    int64_t first_sample;
    int32_t position;
};

static std::vector<PositionStart> starts;
static int64_t first_row_sample = -1;
static double heard = -1;

void heard_clock_reset()
{
    starts.clear();
    first_row_sample = -1;
    heard = -1;
}

void heard_clock_add(int64_t first_sample, int32_t position)
{
    starts.push_back({first_sample, position});
    if (first_row_sample < 0 && position >= 0) first_row_sample = first_sample;
}

void heard_clock_hear(double sample)
{
    heard = sample;
}

static int32_t heard_position()
{
    // The first start after the heard sample; the one before it is playing.
    const auto after = std::upper_bound(starts.begin(), starts.end(), heard,
                                        [](double sample, const PositionStart& s) { return sample < s.first_sample; });
    return after == starts.begin() ? kBeforeFirstRow : std::prev(after)->position;
}

static double heard_time()
{
    if (first_row_sample < 0 || heard < first_row_sample) return 0.0;
    const double milliseconds = std::floor((heard - first_row_sample) * 1000 / kHeardSampleRate);
    return milliseconds * 0.001;
}

const ShowClock kHeardClock = {heard_time, heard_position};
