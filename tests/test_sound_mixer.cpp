// Mixer rules: silence, conversion and clipping, loop wrap, one-shot end,
// skipped voices.
#include <gtest/gtest.h>

#include <cstring>
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

TEST(Mixer, NoChannelsIsSilenceInBothFormats)
{
    reset_mixer(64);
    start_voice(0, 4, 64, 1, 0);
    set_channel_count(0);
    EXPECT_EQ(mix16(64), std::vector<int16_t>(64, 0));
    EXPECT_EQ(mix8(64), std::vector<uint8_t>(64, 128));
}

TEST(Mixer, ConversionClipsAndShiftsArithmetically)
{
    // volume 96, master 206: amplitude 625, so level 112 sums to 70000.
    reset_mixer(206);
    start_voice(0, 3, 96, 0, 0);
    EXPECT_EQ(mix16(3), std::vector<int16_t>(3, 32767));
    EXPECT_EQ(mix8(3), std::vector<uint8_t>(3, 255));
    trigger(1);  // -70000
    EXPECT_EQ(mix16(3), std::vector<int16_t>(3, -32768));
    EXPECT_EQ(mix8(3), std::vector<uint8_t>(3, 0));

    // A master volume above 252 plays as 252: amplitude 510 at volume 64.
    for (int32_t master : {252, 253, 1000}) {
        reset_mixer(master);
        start_voice(0, 3, 64, 0, 2);  // level -1
        EXPECT_EQ(mix16(1), std::vector<int16_t>(1, -510)) << master;
    }
    // volume 1, master 32: amplitude 1, so level -1 sums to -1.
    reset_mixer(32);
    start_voice(0, 3, 1, 0, 2);
    EXPECT_EQ(mix16(2), std::vector<int16_t>(2, -1));
    EXPECT_EQ(mix8(2), std::vector<uint8_t>(2, 127));

    // Full volume: amplitude 129, one voice at 127 adds 16383.
    reset_mixer(64);
    start_voice(0, 3, 64, 0, 3);
    EXPECT_EQ(mix16(1), std::vector<int16_t>(1, 16383));
    EXPECT_EQ(mix8(1), std::vector<uint8_t>(1, 159));
    // Two voices at 127: 32766 still fits, a third one clips.
    set_channel_count(3);
    start_voice(1, 3, 64, 0, 3);
    EXPECT_EQ(mix16(1), std::vector<int16_t>(1, 32766));
    start_voice(2, 3, 64, 0, 3);
    EXPECT_EQ(mix16(1), std::vector<int16_t>(1, 32767));
    EXPECT_EQ(mix8(1), std::vector<uint8_t>(1, (3 * 16383 >> 9) + 128));
}

TEST(Mixer, PositionAdvancesBeforeTheReadAndLoopsReturnToLoopStartPlusOne)
{
    reset_mixer(32);  // amplitude 1 at volume 1: the output is the index read
    start_voice(0, 1, 1, 1, 17);
    EXPECT_EQ(mix16(6), (std::vector<int16_t>{18, 19, 20, 11, 12, 13}));
    trigger(19);
    EXPECT_EQ(mix16(3), (std::vector<int16_t>{20, 11, 12}));
}

TEST(Mixer, OneShotEndParksOnTheFirstSampleUntilAPeriodMovesIt)
{
    reset_mixer(32);
    start_voice(0, 2, 1, 1, 13);  // length 16, data[i] = i + 1
    EXPECT_EQ(mix16(5), (std::vector<int16_t>{15, 16, 1, 1, 1}));
    EXPECT_EQ(voices.mixer_voices[0].volume, 0u);
    EXPECT_EQ(voices.mixer_voices[0].step_fraction, 0u);
    EXPECT_EQ(voices.mixer_voices[0].step, 0);
    // The next latch brings the volume back; position and step stay parked.
    EXPECT_EQ(mix16(3), (std::vector<int16_t>{1, 1, 1}));
    set_period(1);  // no trigger: plays on from index 0
    EXPECT_EQ(mix16(3), (std::vector<int16_t>{2, 3, 4}));
}

TEST(Mixer, SilentVoiceIsSkippedAndResumesWhereItStopped)
{
    reset_mixer(32);
    start_voice(0, 4, 1, 1, 0);
    EXPECT_EQ(mix16(4), (std::vector<int16_t>{1, 2, 3, 4}));
    set_volume(0);
    EXPECT_EQ(mix16(10), std::vector<int16_t>(10, 0));
    set_volume(1);
    EXPECT_EQ(mix16(2), (std::vector<int16_t>{5, 6}));
}

TEST(Mixer, EightBitOutputUsesTheTopBitsOfTheSum)
{
    // volume 100, master 162: amplitude 512, so level i comes out as i + 128.
    reset_mixer(162);
    start_voice(0, 4, 100, 1, 0);
    EXPECT_EQ(mix8(4), (std::vector<uint8_t>{129, 130, 131, 132}));
}


// A voice given a sample and a period but never triggered plays from index 0
// on; with no period it holds still.
TEST(Mixer, UntriggeredVoiceStartsAtIndexZeroAndHoldsWithoutAPeriod)
{
    reset_mixer(32);
    select_voice(0);
    set_sample(4);
    set_volume(1);
    EXPECT_EQ(mix16(3), std::vector<int16_t>(3, 0));
    EXPECT_EQ(voices.mixer_voices[0].position_fraction, 0u);
    set_period(1);
    EXPECT_EQ(mix16(3), (std::vector<int16_t>{1, 2, 3}));
}
