#include "offline/offline_audio.h"

#include <vector>

#include "offline/offline_ticks.h"

static AudioCallback callback_in_use = nullptr;
static std::vector<int16_t> kept;  // samples [kept_from, produced)
static int64_t kept_from = 0;
static int64_t produced = 0;

void audio_reset(AudioCallback callback)
{
    callback_in_use = callback;
    kept.clear();
    kept_from = 0;
    produced = 0;
}

// One request, as SDL makes it: 4096 bytes of signed 16-bit little-endian.
static void request_buffer()
{
    uint8_t bytes[kRequestBytes] = {};
    callback_in_use(nullptr, bytes, kRequestBytes);
    for (int i = 0; i < kRequestSamples; ++i) {
        const uint16_t sample = static_cast<uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
        kept.push_back(static_cast<int16_t>(sample));
    }
    produced += kRequestSamples;
}

bool audio_run_through_tick(int64_t tick)
{
    while (ticks_done() <= tick) {
        const int64_t before = ticks_done();
        request_buffer();
        if (ticks_done() == before) return false;
    }
    return true;
}

void audio_run_through_sample(int64_t end)
{
    while (produced < end) request_buffer();
}

int64_t audio_produced()
{
    return produced;
}

void audio_forget_before(int64_t sample)
{
    if (sample <= kept_from) return;
    if (sample > produced) sample = produced;
    kept.erase(kept.begin(), kept.begin() + (sample - kept_from));
    kept_from = sample;
}

const int16_t* audio_span(int64_t from, int64_t to)
{
    if (from < kept_from || to > produced || from > to) return nullptr;
    return kept.data() + (from - kept_from);
}
