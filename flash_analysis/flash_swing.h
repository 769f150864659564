// One place's light (or red) followed frame by frame for opposing changes:
// a change builds up over as many frames as it takes, and ends only when
// the value turns back by the threshold, so a slow fade is one change and a
// flicker under the threshold none.
#pragma once
#include <cstdint>

struct Swing {
    float from = 0;          // value where this change started (the lowest seen, before the first)
    float to = 0;            // furthest value reached since (the highest seen, before the first)
    bool from_marked = false;  // whether the value at from / to carried the mark below
    bool to_marked = false;
    int8_t direction = 0;    // +1 rising, -1 falling, 0 no change of the threshold's size yet
    bool counted = false;    // this change has been counted
    bool started = false;
};

// Takes the next frame's value. threshold: the size a change must reach
// (strictly more when more_than, else at least). marked: this value meets
// the rule's other condition (the darker image below 0.8, or a saturated
// red); a change counts only when one of its ends is marked. True when the
// change under way counts, once per change, at the first frame it meets
// both conditions.
bool swing_step(Swing* swing, float value, bool marked, float threshold, bool more_than);
