// The page's sound, made on the browser's audio rendering thread: a small
// WebAssembly module of its own (no toolchain runtime, no imports) that an
// AudioWorklet runs. It is the desktop's player, voices, mixer and audio
// callback at 16-bit 44.1 kHz, asked for one render quantum at a time, with
// the samples handed over as floats (each 16-bit sample / 32768).
//
// It also tells the page where the song position changes, as a count of
// output samples since the first one: tick n's slice begins at sample
// n * (44100 / 50), however the requests cut the slices.
#include <emscripten/emscripten.h>

#include <cstdint>

#include "app/startup.h"  // kModuleBufferSize: the song is loaded as the demo loads it
#include "offline/offline_ticks.h"  // kSamplesPerTick: the offline show's ticks are these samples too
#include "player/player.h"
#include "sound/sound_device.h"
#include "web/song_seek.h"

// The largest quantum the page may ask for; Web Audio's is 128 frames.
static constexpr int32_t kMostFrames = 4096;
// Position changes not yet taken by the page: far more than one quantum
// (at most two ticks) can make.
static constexpr int32_t kMostChanges = 64;

static uint8_t song[kModuleBufferSize];
static int16_t pcm[kMostFrames];
static float samples[kMostFrames];
static int64_t ticks_run = 0;
static int32_t last_position = 0;
// Pairs of (sample at which the position starts, position).
static int32_t changes[kMostChanges * 2];
static int32_t change_count = 0;
// Where audio_seek found the asked position, for audio_skip.
static SongSeek seek;

static void tick_and_note_position()
{
    pt_tick();
    const int32_t position = pt_song_position();
    if (position != last_position && change_count < kMostChanges) {
        changes[change_count * 2] = static_cast<int32_t>(ticks_run * kSamplesPerTick);
        changes[change_count * 2 + 1] = position;
        ++change_count;
    }
    last_position = position;
    ++ticks_run;
}

extern "C" {

// Where the page writes the module file before audio_start (kModuleBufferSize
// bytes; a longer file is cut, as the demo cuts it).
EMSCRIPTEN_KEEPALIVE uint8_t* audio_song_buffer()
{
    return song;
}

// Loads the song written to the buffer and readies the 16-bit 44.1 kHz
// device, 50 ticks a second. 1, or 0 when the player refuses the module.
EMSCRIPTEN_KEEPALIVE int32_t audio_start()
{
    install_offline_device(2, kTicksPerSecond, tick_and_note_position);
    ticks_run = 0;
    change_count = 0;
    if (!pt_load(song, sizeof song)) return 0;
    last_position = pt_song_position();
    return 1;
}

// The next frames (1..4096) of the sound, as floats; null for another count.
EMSCRIPTEN_KEEPALIVE const float* audio_render(int32_t frames)
{
    if (frames <= 0 || frames > kMostFrames) return nullptr;
    audio_callback(nullptr, reinterpret_cast<uint8_t*>(pcm), frames * 2);
    for (int32_t i = 0; i < frames; ++i) samples[i] = pcm[i] * (1.0f / 32768.0f);
    return samples;
}

// A show started part-way (the page's ?from=POS), in two steps on a freshly
// started song each: audio_seek ticks the player alone until position first
// holds and returns that tick n (-1 when the song never gets there); then,
// the song started afresh, audio_skip(n) makes the n * 882 samples before
// tick n's slice and drops them, so the next frames are those a show from
// the start makes from there on. Samples stay counted from the song's
// start: the changes then hold the first row's start and, once made, the
// position's.
EMSCRIPTEN_KEEPALIVE int32_t audio_seek(int32_t position)
{
    return seek_song_position(position, &seek) ? static_cast<int32_t>(seek.tick) : -1;
}
EMSCRIPTEN_KEEPALIVE void audio_skip(int32_t tick)
{
    const int64_t end = tick * kSamplesPerTick;
    for (int64_t left = end; left > 0; left -= kMostFrames) {
        const int64_t frames = left < kMostFrames ? left : kMostFrames;
        change_count = 0;
        audio_callback(nullptr, reinterpret_cast<uint8_t*>(pcm), static_cast<int>(frames * 2));
    }
    // A request ends with the tick whose slice begins right after it, so the
    // last one may have run tick n already: its change is kept.
    int32_t kept = 1;
    int32_t after[kMostChanges * 2];
    for (int32_t i = 0; i < change_count && kept < kMostChanges; ++i) {
        if (changes[2 * i] < end) continue;
        after[2 * kept] = changes[2 * i];
        after[2 * kept + 1] = changes[2 * i + 1];
        ++kept;
    }
    after[0] = static_cast<int32_t>(seek.first_row_tick * kSamplesPerTick);
    after[1] = seek.first_row_position;
    for (int32_t i = 0; i < kept * 2; ++i) changes[i] = after[i];
    change_count = kept;
}

// The position changes since the last call: audio_change_count() pairs of
// (first sample, position) at audio_changes(); the call forgets them.
EMSCRIPTEN_KEEPALIVE int32_t audio_change_count()
{
    const int32_t count = change_count;
    change_count = 0;
    return count;
}
EMSCRIPTEN_KEEPALIVE const int32_t* audio_changes()
{
    return changes;
}

}  // extern "C"
