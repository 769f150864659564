// The frame of the show stepped offline, drawn as the capture and the page's
// frames stepped unseen (?frame=, ?from=) all draw it. Apart from the step
// itself so that what only steps the show links no drawing: the frame comes
// from app or app_es, whichever the program links after offline.
#pragma once
#include <cstdint>

#include "offline/offline_step.h"

// Draws the frame last stepped to, at its position, into a width x height
// picture; flush, when not null, hands on what the drawing left batched (a
// browser frame, which nothing reads back). Then the sound before the frame
// is let go: no frame asks for it again.
void offline_show_draw(const OfflineShow& show, int32_t position, int width, int height, void (*flush)());
