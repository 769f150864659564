// The command line, the end of the show and the pre-answered device menu.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdio>

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

TEST(Shell, TheShowEndsPastItsLastPositionAndTheMenuIsAnsweredTwo)
{
    EXPECT_FALSE(past_the_end(0));
    EXPECT_FALSE(past_the_end(1920));
    EXPECT_TRUE(past_the_end(1921));
    EXPECT_TRUE(past_the_end(-37));  // before the first row, read unsigned
    pre_answer_device_menu();
    char answer[8] = {};
    ASSERT_EQ(std::scanf("%7s", answer), 1);
    EXPECT_STREQ(answer, "2");
    EXPECT_EQ(std::getchar(), '\n');
}
