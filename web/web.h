// What the browser build adds around the demo's own start-up, frames and
// end: the page's two modes and what they share.
#pragma once
#include <cstdint>
#include <string>

#include "web/song_seek.h"

// The live show (the page's Play button or ?autoplay): starts it and returns;
// the browser's animation frames run it and the page is told when it ends.
// from: null, or the text of ?from=POS, the song position to start at. 0, or
// 1 after a failure reported to the page.
int start_web_show(const char* from);
// ?frame=POS@SECONDS: draws exactly the frame the capture tool writes for
// that target, stepping the show offline from its start. 0, or 1 after a
// failure reported to the page.
int start_single_frame(const char* target);

// Makes current a WebGL 1 context on the page's #canvas (1024x768, opaque,
// with a depth buffer) and fills the fixed-function layer's ES entry points
// from the toolchain's emscripten_gl... functions. False with a reason.
bool make_web_context(std::string* error);
// A one-line failure: on the console (standard error) and on the page.
void report_failure(const std::string& reason);

// ?from=POS (web_from.cpp). The main thread's player started afresh from the
// module file and ticked alone until position first holds; false when the
// song never gets there.
bool seek_main_player(int32_t position, SongSeek* seek);
// Readies the show stepped offline from its start towards position (which
// seek_main_player found the song reaches), drawing nothing on the way:
// the offline clock and device, a fresh song and fresh effects.
void start_stepping_to(int32_t position);
// Steps for up to budget_ms; true once done: the next frame would be at the
// position (or, with *failed set, it was never reached; one console line
// says so). Then the live show's silent device is back in place.
bool step_towards_start(double budget_ms, bool* failed);
