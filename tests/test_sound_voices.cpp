// Voice operations: period to step, trigger, latch.
#include <gtest/gtest.h>

#include "sound/voices.h"

TEST(SetPeriod, StepKeepsTwentyFourFractionBitsAndTruncatesTheIntegerPart)
{
    init_voices(22050);
    select_voice(0);
    set_period(428);
    EXPECT_EQ(voices.player_voices[0].step, 0);
    EXPECT_EQ(voices.player_voices[0].step_fraction, 1614167296u);
    EXPECT_EQ(voices.player_voices[0].period_changed, 1);

    init_voices(44100);
    select_voice(3);
    set_period(28);
    EXPECT_EQ(voices.player_voices[3].step, 2);
    EXPECT_EQ(voices.player_voices[3].step_fraction, 3746917120u);

    for (int32_t period = 27; period <= 3628; period += 37) {
        set_period(period);
        EXPECT_EQ(voices.player_voices[3].step_fraction & 0xFFu, 0u) << period;
        const double exact = 3546836.0 / (period * 44100.0);
        const double packed = voices.player_voices[3].step + voices.player_voices[3].step_fraction / 4294967296.0;
        EXPECT_NEAR(packed, exact, 1.0 / 16777216.0) << period;
    }
    set_period(0);
    EXPECT_EQ(voices.player_voices[3].step, 0);
    EXPECT_EQ(voices.player_voices[3].step_fraction, 0u);
}

static const int8_t kData[64] = {};

TEST(Trigger, RestartsOnlyInsideTheSampleAndDropsTheLoopPastItsEnd)
{
    init_voices(44100);
    select_voice(1);
    voices.player_voices[1].new_note = 0;
    trigger(0);  // no sample set: length 0, nothing happens
    EXPECT_EQ(voices.player_voices[1].new_note, 0);

    register_sample(5, kData, 40, 8, 30, 1);
    set_sample(5);
    voices.player_voices[1].position_fraction = 123;
    trigger(12);
    EXPECT_EQ(voices.player_voices[1].position, 12u);
    EXPECT_EQ(voices.player_voices[1].position_fraction, 0u);
    EXPECT_EQ(voices.player_voices[1].new_note, 1);
    EXPECT_EQ(voices.player_voices[1].looping, 1u);

    // Beyond the loop end and the length: loop dropped, voice not restarted.
    voices.player_voices[1].new_note = 0;
    trigger(50);
    EXPECT_EQ(voices.player_voices[1].looping, 0u);
    EXPECT_EQ(voices.player_voices[1].position, 12u);
    EXPECT_EQ(voices.player_voices[1].new_note, 0);
    trigger(0);
    EXPECT_EQ(voices.player_voices[1].looping, 0u);  // stays dropped until set_sample
    set_sample(5);
    EXPECT_EQ(voices.player_voices[1].looping, 1u);
    EXPECT_EQ(voices.player_voices[1].sample_slot, 5);
    EXPECT_EQ(voices.player_voices[1].position, 0u);  // set_sample leaves the position alone
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
    set_panning(200);
    set_period(300);
    latch_voice(&m, &p);
    EXPECT_EQ(p.new_note, 0);
    EXPECT_EQ(p.period_changed, 0);
    const uint32_t step_fraction = m.step_fraction;
    m.position = 33;
    m.position_fraction = 99;

    set_volume(20);
    latch_voice(&m, &p);  // no flags: live position and step survive
    EXPECT_EQ(m.position, 33u);
    EXPECT_EQ(m.position_fraction, 99u);
    EXPECT_EQ(m.step_fraction, step_fraction);
    EXPECT_EQ(m.volume, 20u);
    EXPECT_EQ(m.pan, 200u);

    set_period(600);  // a new speed without moving the position
    set_period(150);  // the last one wins
    latch_voice(&m, &p);
    EXPECT_EQ(m.position, 33u);
    EXPECT_NE(m.step_fraction, step_fraction);
    EXPECT_EQ(m.step, p.step);
    EXPECT_EQ(m.step_fraction, p.step_fraction);
    const uint32_t fast_fraction = m.step_fraction;
    m.step_fraction = 5;
    latch_voice(&m, &p);  // the flag was consumed once
    EXPECT_EQ(m.step_fraction, 5u);

    m.step_fraction = fast_fraction;
    trigger(10);  // a restart keeps the mixer's step
    latch_voice(&m, &p);
    EXPECT_EQ(m.position, 10u);
    EXPECT_EQ(m.position_fraction, 0u);
    EXPECT_EQ(m.step_fraction, fast_fraction);
}
