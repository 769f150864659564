// The command line: which video mode it asks for.
#include <gtest/gtest.h>

#include <SDL.h>

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
