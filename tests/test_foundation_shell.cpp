// Command line and the live clock.
#include <gtest/gtest.h>

#include <SDL.h>
#include <chrono>
#include <cmath>
#include <thread>

#include "app/clock.h"
#include "app/shell.h"

static uint32_t flags_for(std::initializer_list<const char*> args)
{
    std::vector<char*> argv{const_cast<char*>("periodica")};
    for (const char* arg : args) argv.push_back(const_cast<char*>(arg));
    return video_flags(static_cast<int>(argv.size()), argv.data());
}

TEST(CommandLine, OnlyExactlyOneDashWGivesAWindow)
{
    EXPECT_EQ(flags_for({"-w"}), static_cast<uint32_t>(SDL_OPENGL | SDL_HWSURFACE));
    for (auto flags : {flags_for({}), flags_for({"-w", "-w"}), flags_for({"-wx"}), flags_for({"-W"}),
                       flags_for({"w"}), flags_for({"-w", "x"})}) {
        EXPECT_EQ(flags, static_cast<uint32_t>(SDL_OPENGL | SDL_HWSURFACE | SDL_FULLSCREEN));
    }
}

TEST(DemoTime, StartsAtZeroAndFollowsTheWallClock)
{
    ASSERT_EQ(SDL_Init(SDL_INIT_TIMER), 0);
    install_show_clock(kLiveClock);
    const double first = demo_time();
    EXPECT_GE(first, 0.0);
    EXPECT_LE(first, 0.001);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const double later = demo_time();
    // Generous bounds: a loaded machine may oversleep, never undersleep.
    EXPECT_GE(later, 0.299);
    EXPECT_LT(later, 2.0);
    // Millisecond resolution.
    EXPECT_NEAR(later * 1000.0, std::round(later * 1000.0), 1e-6);
    SDL_Quit();
}
