// State of the beat-synced picture flashes, kept for the whole run.
#pragma once

// Clock time (s) of the last kick match; 0.0 while no kick pulse runs.
extern double kick_start;
// Direction of the kick tilt, +1 or -1; negated at every kick match.
extern double kick_sign;
// Clock time (s) at which the running overlay began; 0.0 while none runs.
extern double overlay_start;
// Picture the last overlay trigger chose: 0 shows texture 2, 1 texture 4.
extern int overlay_pick;
