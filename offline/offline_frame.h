// The frame of the show stepped offline, run as the capture and the page's
// frames stepped unseen (?frame=, ?from=) all run it. Only some frames are
// looked at; the others are stepped unseen: they run just the effects that
// keep state (kUnseenEffects), with nothing drawn, which is what makes a
// frame far into the show quick to reach. No frame before a seen one needs
// drawing in full: what the effects that only draw leave behind, they set
// again in every frame they run. Apart from the step itself so that what
// only steps the show links no drawing: the frame comes from app or app_es,
// whichever the program links after offline.
#pragma once
#include <cstdint>

#include "offline/offline_step.h"

// How a program hides what is drawn: hide(true) and nothing reaches the
// picture, though every state the drawing sets is kept as if it had.
struct UnseenDrawing {
    void (*hide)(bool hidden);
    bool hidden = false;
};

// Runs the frame last stepped to, at its position, into a width x height
// picture: drawn in full when seen, else stepped unseen. flush, when not
// null, hands on what the drawing left batched (a browser frame, which
// nothing reads back). Then the sound before the frame is let go: no frame
// asks for it again.
void offline_show_run(const OfflineShow& show, int32_t position, bool seen, int width, int height,
                      void (*flush)(), UnseenDrawing* drawing);
// Shows what is drawn again, if the last frame run was unseen.
void offline_show_unhide(UnseenDrawing* drawing);
