// Device menu and playback start, without a sound card: standard input comes
// from a file, SDL audio from a driver that cannot open (or the dummy one).
#include <gtest/gtest.h>

#include <SDL.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "sound/sound_device.h"
#include "sound/voices.h"

static std::atomic<int> timer_calls{0};

static const char kMenu[] = "Select your sound device:\n0 - None\n1 - 8-bit 22kHz\n2 - 16-bit 44kHz\n";
static const char kFallbackLine[] = "periodica: no sound output available; playing silently\n";

struct MenuRun { int result; std::string out, err; };

// Runs the menu with input as the whole of standard input, from an empty table.
static MenuRun run_menu(const std::string& input)
{
    char path[] = "/tmp/test_sound_menu_XXXXXX";
    const int fd = mkstemp(path);
    EXPECT_GE(fd, 0);
    FILE* file = fdopen(fd, "w");
    std::fputs(input.c_str(), file);
    std::fclose(file);
    EXPECT_NE(std::freopen(path, "r", stdin), nullptr);
    std::remove(path);

    sound_device = SoundDevice{};
    sound_mode = 0;
    device_name = "";
    device_error = "";
    voices.master_volume = 63;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    MenuRun run;
    run.result = select_sound_device();
    run.out = testing::internal::GetCapturedStdout();
    run.err = testing::internal::GetCapturedStderr();
    return run;
}

static void expect_complete_table()
{
    void* const* slot = reinterpret_cast<void* const*>(&sound_device);
    for (size_t i = 0; i < sizeof(SoundDevice) / sizeof(void*); ++i) EXPECT_NE(slot[i], nullptr) << "slot " << i;
    EXPECT_EQ(voices.master_volume, 64);
}

TEST(DeviceMenu, LongWordIsJudgedByItsFirstCharacterAndReadWithinTheBuffer)
{
    const std::string word = "0" + std::string(118, 'a') + "TAIL";
    EXPECT_EQ(run_menu(word + "\n").result, 1);
    EXPECT_EQ(sound_mode, 0);
    // Exactly 119 characters were taken; the rest is still unread.
    char rest[16] = {};
    ASSERT_EQ(std::scanf("%15s", rest), 1);
    EXPECT_STREQ(rest, "TAIL");
}

TEST(DeviceMenu, NoUsableAnswerOrAudioFallsBackToSilence)
{
    setenv("SDL_AUDIODRIVER", "periodica_no_such_driver", 1);  // so that "2" cannot open
    for (const char* input : {"", "   \n\n", "3\n", "2\n"}) {
        const MenuRun run = run_menu(input);
        EXPECT_EQ(run.result, 0) << input;
        EXPECT_EQ(run.out, kMenu);
        EXPECT_EQ(run.err, kFallbackLine);
        EXPECT_EQ(sound_mode, 0);
        EXPECT_STREQ(device_name, "Kelvaro NoSound Device 2.0c");
        expect_complete_table();
    }
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    unsetenv("SDL_AUDIODRIVER");
    EXPECT_STREQ(device_error, "SDL audio error");
}

TEST(DeviceMenu, OpenedAudioInstallsTheSdlDeviceAtItsRate)
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    voices.mixer_rate = 44100;
    const MenuRun run = run_menu("1\n");
    SDL_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    unsetenv("SDL_AUDIODRIVER");
    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(sound_mode, 1);
    EXPECT_EQ(device_rate, 22050);
    EXPECT_EQ(voices.mixer_rate, 22050);  // the device's init ran
    EXPECT_STREQ(device_name, "SDL audio");
    expect_complete_table();
}

TEST(StartPlayback, SilentDeviceTicksFromTheTimer)
{
    sound_mode = 0;
    timer_calls = 0;
    start_playback(50, [] { ++timer_calls; });
    EXPECT_EQ(tick_interval, 20);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (timer_calls < 3 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    SDL_SetTimer(0, nullptr);
    SDL_Quit();
    EXPECT_GE(timer_calls.load(), 3);
}
