// The sound of the show stepped offline: the demo's audio callback asked for
// 4096-byte (2048-sample, 16-bit mono) buffers from the start of playback, as
// SDL asks live, on the caller's own thread. Samples are kept from a mark
// onwards so the frames can take the span they cover.
#pragma once
#include <cstdint>

using AudioCallback = void (*)(void* user_data, uint8_t* stream, int length);
constexpr int kRequestSamples = 2048;
constexpr int kRequestBytes = kRequestSamples * 2;

void audio_reset(AudioCallback callback);
// Asks for buffers until tick has run. False when a buffer ran no tick at all
// (the callback isn't driving the player), so waiting would never end.
bool audio_run_through_tick(int64_t tick);
// Asks for buffers until samples [0, end) have been produced.
void audio_run_through_sample(int64_t end);
int64_t audio_produced();
// Drops kept samples before sample (they will not be asked for again).
void audio_forget_before(int64_t sample);
// Kept samples [from, to); null unless all of them are produced and kept.
const int16_t* audio_span(int64_t from, int64_t to);
