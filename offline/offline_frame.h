// The frame of the show stepped offline, run as the capture and the page's
// frames stepped unseen (?frame=, ?from=) all run it. Only some frames are
// looked at; the others are stepped unseen: they run just the effects that
// keep state (kUnseenEffects), with nothing drawn, which is what makes a
// frame far into the show quick to reach. Apart from the step itself so that
// what only steps the show links no drawing: the frame comes from app or
// app_es, whichever the program links after offline.
#pragma once
#include <cstdint>

#include "offline/offline_step.h"

// Before a frame that is looked at, this many samples of frames run every
// effect again, still unseen, so whatever state the effects that only draw
// leave from frame to frame is as in a show drawn in full.
constexpr int64_t kDrawnTailSamples = 44100;

// The frames a program looks at. wanted says whether the frame at sample,
// at position, is one of them; once true for a sample it must stay true for
// the later ones until that frame has been taken (a span from a position,
// a frame due some time after a position first plays).
struct WantedFrames {
    bool (*wanted)(const void* context, int64_t sample, int32_t position);
    const void* context;
};

enum class FrameUse {
    stepped,  // nobody sees it: the effects that keep state, nothing drawn
    tail,     // nobody sees it, but one that is looked at comes soon: every effect, nothing drawn
    seen,     // drawn in full
};

// The use of the frame last stepped to, at position: seen when wanted, tail
// when a wanted frame comes within kDrawnTailSamples after it (the sound is
// run that far ahead to find out), stepped otherwise.
FrameUse offline_frame_use(const OfflineShow& show, int32_t position, const WantedFrames& wanted);

// How a program hides what is drawn: hide(true) and nothing reaches the
// picture, though every state the drawing sets is kept as if it had.
struct UnseenDrawing {
    void (*hide)(bool hidden);
    bool hidden = false;
};

// Runs the frame last stepped to, at its position, as use says, into a
// width x height picture; flush, when not null, hands on what the drawing
// left batched (a browser frame, which nothing reads back). Then the sound
// before the frame is let go: no frame asks for it again.
void offline_show_run(const OfflineShow& show, int32_t position, FrameUse use, int width, int height,
                      void (*flush)(), UnseenDrawing* drawing);
