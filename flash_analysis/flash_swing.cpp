#include "flash_analysis/flash_swing.h"

static bool large_enough(float change, float threshold, bool more_than)
{
    return more_than ? change > threshold : change >= threshold;
}

bool swing_step(Swing* swing, float value, bool marked, float threshold, bool more_than)
{
    if (!swing->started) {
        *swing = Swing{value, value, marked, marked, 0, false, true};
        return false;
    }
    if (swing->direction == 0) {
        // Before the first change: from holds the lowest value, to the highest.
        if (value < swing->from) swing->from = value, swing->from_marked = marked;
        if (value > swing->to) swing->to = value, swing->to_marked = marked;
        if (!large_enough(swing->to - swing->from, threshold, more_than)) return false;
        swing->direction = 1;
        if (value == swing->from) {  // it fell: the change runs from the highest
            const float high = swing->to;
            const bool high_marked = swing->to_marked;
            swing->to = swing->from, swing->to_marked = swing->from_marked;
            swing->from = high, swing->from_marked = high_marked;
            swing->direction = -1;
        }
    } else if (swing->direction > 0 ? value >= swing->to : value <= swing->to) {
        swing->to = value, swing->to_marked = marked;
    } else if (large_enough(swing->direction > 0 ? swing->to - value : value - swing->to, threshold, more_than)) {
        // Turned back by a whole change: the next one starts where this one ended.
        swing->from = swing->to, swing->from_marked = swing->to_marked;
        swing->to = value, swing->to_marked = marked;
        swing->direction = static_cast<int8_t>(-swing->direction);
        swing->counted = false;
    } else {
        return false;  // a step back smaller than a change: the change goes on
    }
    if (swing->counted || !(swing->from_marked || swing->to_marked)) return false;
    swing->counted = true;
    return true;
}
