// Voice operations: period to step, trigger, latch.
#include <gtest/gtest.h>

#include <vector>

#include "sound/voices.h"

// Position, fraction, step and step fraction: what the mixer carries along.
static std::vector<int64_t> motion(const Voice& v)
{
    return {v.position, v.position_fraction, v.step, v.step_fraction};
}

TEST(SetPeriod, StepKeepsTwentyFourFractionBitsAndTruncatesTheIntegerPart)
{
    init_voices(22050);
    select_voice(0);
    set_period(428);
    EXPECT_EQ(motion(voices.player_voices[0]), (std::vector<int64_t>{0, 0, 0, 1614167296}));

    init_voices(44100);
    select_voice(3);
    set_period(28);
    EXPECT_EQ(motion(voices.player_voices[3]), (std::vector<int64_t>{0, 0, 2, 3746917120}));

    for (int32_t period = 27; period <= 3628; period += 37) {
        set_period(period);
        EXPECT_EQ(voices.player_voices[3].step_fraction & 0xFFu, 0u) << period;
        const double exact = 3546836.0 / (period * 44100.0);
        const double packed = voices.player_voices[3].step + voices.player_voices[3].step_fraction / 4294967296.0;
        EXPECT_NEAR(packed, exact, 1.0 / 16777216.0) << period;
    }
    set_period(0);
    EXPECT_EQ(motion(voices.player_voices[3]), (std::vector<int64_t>{0, 0, 0, 0}));
}

static const int8_t kData[64] = {};

TEST(Trigger, RestartsOnlyInsideTheSampleAndDropsTheLoopPastItsEnd)
{
    init_voices(44100);
    select_voice(1);
    Voice& v = voices.player_voices[1];
    // Position, fraction, new_note, looping.
    auto restart = [&v] { return std::vector<int64_t>{v.position, v.position_fraction, v.new_note, v.looping}; };
    v.new_note = 0;
    trigger(0);  // no sample set: length 0, nothing happens
    EXPECT_EQ(v.new_note, 0);

    register_sample(5, kData, 40, 8, 30, 1);
    set_sample(5);
    v.position_fraction = 123;
    trigger(30);  // at the loop end the loop stays
    EXPECT_EQ(restart(), (std::vector<int64_t>{30, 0, 1, 1}));
    // Beyond the loop end and the length: loop dropped, voice not restarted.
    v.new_note = 0;
    trigger(50);
    EXPECT_EQ(restart(), (std::vector<int64_t>{30, 0, 0, 0}));
    trigger(0);
    EXPECT_EQ(restart(), (std::vector<int64_t>{0, 0, 1, 0}));  // the loop stays dropped until set_sample
    set_sample(5);
    EXPECT_EQ(v.looping, 1u);
    EXPECT_EQ(v.sample_slot, 5);
}

TEST(Latch, PositionAndStepStayTheMixersUntilThePlayerChangesThem)
{
    init_voices(44100);
    Voice& m = voices.mixer_voices[0];
    Voice& p = voices.player_voices[0];
    select_voice(0);
    register_sample(1, kData, 64, 0, 63, 1);
    set_sample(1);
    set_volume(40);
    set_period(300);
    latch_voice(&m, &p);
    const uint32_t step_fraction = m.step_fraction;
    m.position = 33;
    m.position_fraction = 99;

    set_volume(20);
    set_panning(200);
    latch_voice(&m, &p);  // no flags: live position and step survive, the rest is the player's
    EXPECT_EQ(motion(m), (std::vector<int64_t>{33, 99, 0, step_fraction}));
    EXPECT_EQ(m.volume, 20u);
    EXPECT_EQ(m.pan, 200u);

    set_period(600);  // a new speed without moving the position
    set_period(150);  // the last one wins
    latch_voice(&m, &p);
    EXPECT_EQ(motion(m), (std::vector<int64_t>{33, 99, p.step, p.step_fraction}));
    m.step_fraction = 5;
    latch_voice(&m, &p);  // the flag was consumed once
    EXPECT_EQ(m.step_fraction, 5u);

    trigger(10);  // a restart keeps the mixer's step
    latch_voice(&m, &p);
    EXPECT_EQ(motion(m), (std::vector<int64_t>{10, 0, p.step, 5}));
}

// Slot 31 and voice 31 are the last, and 32 channels the most: an index past
// them or below 0 is ignored rather than written outside the arrays.
TEST(VoiceOperations, IndicesPastTheLastSlotOrVoiceAreIgnored)
{
    init_voices(44100);
    register_sample(31, kData, 64, 0, 63, 1);
    register_sample(32, kData + 1, 64, 0, 63, 1);
    register_sample(-1, kData + 1, 64, 0, 63, 1);
    EXPECT_EQ(voices.sample_slots[31].data, kData);
    for (int slot = 0; slot < 31; ++slot) EXPECT_EQ(voices.sample_slots[slot].data, nullptr) << slot;

    select_voice(31);
    select_voice(32);
    select_voice(-1);
    ASSERT_EQ(voices.current_voice, &voices.player_voices[31]);
    set_sample(32);
    set_sample(-1);
    EXPECT_EQ(voices.player_voices[31].data, nullptr);
    set_sample(31);
    EXPECT_EQ(voices.player_voices[31].data, kData);

    set_channel_count(33);
    EXPECT_EQ(voices.channel_count, 32);
    set_channel_count(-1);
    EXPECT_EQ(voices.channel_count, 0);
}
