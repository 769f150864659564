// The show stepped offline, frame by frame at a fixed frame rate: frame k
// stands on output sample k * 44100 / fps, the sound is asked for until the
// tick playing there has run, and the offline clock is set to the frame's
// simulated time and song position. Frames before the first row are stepped
// over, as the live demo waits for it.
#pragma once
#include <cstdint>
#include <string>

#include "offline/offline_audio.h"

// The capture's frame rate unless told another, which the page's frames
// stepped unseen keep, so they are the capture's frames.
constexpr int kOfflineFps = 60;

struct OfflineShow {
    int fps = kOfflineFps;
    int64_t frame = -1;           // the frame last stepped to
    int64_t first_frame = -1;     // the first frame of the first row: the clock's zero
    int32_t last_position = -37;  // and the tick since which it has held
    int64_t position_since = 0;
};

// Starts a show at fps (1..240) frames a second: the sound restarts from
// callback's first request, with no tick recorded. The offline clock and
// device must be installed and the song loaded.
void offline_show_start(OfflineShow* show, int fps, AudioCallback callback);
// Steps to the next frame to draw and sets the offline clock to it; its
// position goes to *position. False, with *stop_reason saying why, when the
// show can't go on: no first row within ten seconds, the song looping back,
// standing still for a minute or running past twenty minutes, or a callback
// that runs no tick.
bool offline_show_next(OfflineShow* show, int32_t* position, std::string* stop_reason);
// The output sample at which the frame last stepped to stands.
int64_t offline_show_sample(const OfflineShow& show);
