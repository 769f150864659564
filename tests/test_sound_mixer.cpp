// Mixer rules: conversion and clipping, silence, loop wrap and one-shot end
// in requests of any size, skipped and untriggered voices.
#include <gtest/gtest.h>

#include <vector>

#include "sound/mixer.h"
#include "sound/voices.h"

static int8_t ramp[256];    // ramp[i] = i (as signed bytes)
static int8_t levels[4] = {112, -112, -1, 127};

// At this mixer rate period 1 is a step of exactly 1.0 sample.
static constexpr int32_t kUnitStepRate = 3546836;

static void reset_mixer(int32_t master)
{
    init_voices(kUnitStepRate);
    for (int i = 0; i < 256; ++i) ramp[i] = static_cast<int8_t>(i);
    register_sample(1, ramp, 100, 10, 20, 1);   // looping 11..20
    register_sample(2, ramp + 1, 16, 0, 0, 0);  // one-shot, data[i] = i + 1
    register_sample(3, levels, 4, 0, 3, 1);     // for constant levels at step 0
    register_sample(4, ramp, 200, 0, 199, 1);   // long loop
    set_master_volume(master);
    set_channel_count(1);
}

static void start_voice(int32_t index, int32_t slot, int32_t volume, int32_t period, uint32_t offset)
{
    select_voice(index);
    set_sample(slot);
    set_volume(volume);
    set_period(period);
    trigger(offset);
}

static std::vector<int16_t> mix16(int32_t count)
{
    std::vector<int16_t> out(static_cast<size_t>(count));
    mix_samples(reinterpret_cast<uint8_t*>(out.data()), count, 1);
    return out;
}

static std::vector<uint8_t> mix8(int32_t count)
{
    std::vector<uint8_t> out(static_cast<size_t>(count));
    mix_samples(out.data(), count, 0);
    return out;
}

TEST(Mixer, ConversionClipsAndShiftsArithmeticallyAndNoChannelsIsSilence)
{
    // Three voices held on levels[at] (step 0), of which the first `channels` are mixed.
    struct Case { int32_t master, volume; uint32_t at; int32_t channels; int16_t out16; uint8_t out8; };
    const Case cases[] = {
        {206, 96, 0, 1, 32767, 255},  // amplitude 625: level 112 sums to 70000
        {206, 96, 1, 1, -32768, 0},   // -70000
        {252, 64, 2, 1, -510, 127},   // amplitude 510: -510 shifts down to -1
        {253, 64, 2, 1, -510, 127},   // a master volume above 252 plays as 252
        {1000, 64, 2, 1, -510, 127},
        {32, 1, 2, 1, -1, 127},       // amplitude 1
        {64, 64, 3, 1, 16383, 159},   // full volume: amplitude 129, level 127 adds 16383
        {64, 64, 3, 2, 32766, 191},   // two still fit
        {64, 64, 3, 3, 32767, 223},   // a third clips 16 bits, not 8
        {64, 64, 3, 0, 0, 128},       // no channels: silence
        {64, 64, 3, -1, 0, 128},      // fewer than none: silence too
    };
    for (const Case& c : cases) {
        reset_mixer(c.master);
        for (int32_t v = 0; v < 3; ++v) start_voice(v, 3, c.volume, 0, c.at);
        set_channel_count(c.channels);
        EXPECT_EQ(mix16(3), std::vector<int16_t>(3, c.out16)) << c.master << " " << c.channels;
        EXPECT_EQ(mix8(3), std::vector<uint8_t>(3, c.out8)) << c.master << " " << c.channels;
    }
    // A count below zero written past set_channel_count: the mixer mixes no voice.
    reset_mixer(64);
    start_voice(0, 3, 64, 0, 3);
    voices.channel_count = -2;
    EXPECT_EQ(mix16(3), std::vector<int16_t>(3, 0));
}

// Read after the advance; a loop returns to loop start + 1; a one-shot parks
// on index 0 until a period (size -1: set_period(1), no trigger) moves it. Cut
// into the callback's smallest requests (0, 1, 2 samples, one ending on the
// loop end or the last index) a run plays on as in one request.
TEST(Mixer, PositionAdvancesBeforeTheReadLoopsWrapAndOneShotsEndInRequestsOfAnySize)
{
    const struct { int32_t slot; uint32_t offset; std::vector<int32_t> sizes; std::vector<int16_t> out; } cases[] = {
        {1, 17, {6}, {18, 19, 20, 11, 12, 13}},  // looping 11..20
        {1, 17, {1, 2, 1, 0, 1, 1}, {18, 19, 20, 11, 12, 13}},
        {1, 19, {1, 2}, {20, 11, 12}},
        {2, 13, {5, 3, -1, 3}, {15, 16, 1, 1, 1, 1, 1, 1, 2, 3, 4}},  // one-shot of 16, data[i] = i + 1
        {2, 13, {1, 1, 0, 1, 2}, {15, 16, 1, 1, 1}},
        {2, 13, {2, 1}, {15, 16, 1}},
    };
    for (const auto& c : cases) {
        reset_mixer(32);  // amplitude 1 at volume 1: the output is the value read
        start_voice(0, c.slot, 1, 1, c.offset);
        std::vector<int16_t> out;
        for (const int32_t size : c.sizes) {
            const std::vector<int16_t> part = size < 0 ? (set_period(1), std::vector<int16_t>{}) : mix16(size);
            out.insert(out.end(), part.begin(), part.end());
        }
        EXPECT_EQ(out, c.out) << "slot " << c.slot << " from " << c.offset << ", " << c.sizes.size() << " requests";
    }
}

// A voice given a sample but never triggered starts at index 0 and, without a
// period, holds still; a silent voice is skipped and resumes where it stopped.
TEST(Mixer, UntriggeredVoiceStartsAtIndexZeroAndSilentVoiceResumesWhereItStopped)
{
    reset_mixer(32);
    select_voice(0);
    set_sample(4);
    set_volume(1);
    EXPECT_EQ(mix16(3), std::vector<int16_t>(3, 0));
    EXPECT_EQ(voices.mixer_voices[0].position_fraction, 0u);
    set_period(1);
    EXPECT_EQ(mix16(4), (std::vector<int16_t>{1, 2, 3, 4}));
    set_volume(0);
    EXPECT_EQ(mix16(10), std::vector<int16_t>(10, 0));
    set_volume(1);
    EXPECT_EQ(mix16(2), (std::vector<int16_t>{5, 6}));
}
