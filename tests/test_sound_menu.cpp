// Device menu and playback start, without a sound card: standard input comes
// from a file, SDL audio from a driver that cannot open (or the dummy one).
#include <gtest/gtest.h>

#include <SDL.h>
#include <dlfcn.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "sound/sound_device.h"
#include "sound/voices.h"

static std::atomic<int> tick_calls{0};

// What the device last asked SDL for, taken on its way to SDL's own open.
static SDL_AudioSpec requested_spec;
extern "C" int SDL_OpenAudio(SDL_AudioSpec* desired, SDL_AudioSpec* obtained)
{
    using OpenAudio = int (*)(SDL_AudioSpec*, SDL_AudioSpec*);
    static const auto sdl_open = reinterpret_cast<OpenAudio>(dlsym(RTLD_NEXT, "SDL_OpenAudio"));
    if (desired) requested_spec = *desired;
    return sdl_open ? sdl_open(desired, obtained) : -1;
}

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

// Each answer must record its own mode, or the callback would neither mix
// nor tick: the show would never reach its first row.
TEST(DeviceMenu, OpenedAudioInstallsTheSdlDeviceAtItsRateAndTheCallbackPlaysIt)
{
    struct Case { const char* answer; int32_t mode, rate, buffer_bytes, ticks; Uint16 format; };
    // One 2048-sample buffer holds 4.6 slices at 22050 Hz, 2.3 at 44100 Hz.
    for (const Case c : {Case{"1\n", 1, 22050, 2048, 5, AUDIO_U8}, Case{"2\n", 2, 44100, 4096, 3, AUDIO_S16LSB}}) {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        requested_spec = SDL_AudioSpec{};
        voices.mixer_rate = 0;
        const MenuRun run = run_menu(c.answer);
        SDL_CloseAudio();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        unsetenv("SDL_AUDIODRIVER");
        EXPECT_EQ(run.result, 1) << c.answer;
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(sound_mode, c.mode);
        EXPECT_EQ(device_rate, c.rate);
        EXPECT_EQ(voices.mixer_rate, c.rate);  // the device's init ran
        EXPECT_STREQ(device_name, "SDL audio");
        expect_complete_table();
        // Mono, as the callback fills it: two channels would play it at half
        // speed, its samples shared out left and right.
        EXPECT_EQ(requested_spec.channels, 1) << c.answer;
        EXPECT_EQ(requested_spec.freq, c.rate) << c.answer;
        EXPECT_EQ(requested_spec.format, c.format) << c.answer;
        EXPECT_EQ(requested_spec.callback, audio_callback) << c.answer;

        // The callback as SDL would call it once playback starts (the device
        // itself is closed again, so it is called here directly).
        tick_calls = 0;
        set_tick_rate(50, [] { ++tick_calls; });
        reset_audio_carry();
        std::vector<uint8_t> buffer(static_cast<size_t>(c.buffer_bytes), 0xEE);
        audio_callback(nullptr, buffer.data(), c.buffer_bytes);
        EXPECT_EQ(tick_calls.load(), c.ticks) << c.answer;
        // Nothing plays yet, so the mix is the mode's silence all through.
        EXPECT_EQ(std::count(buffer.begin(), buffer.end(), c.mode == 1 ? 128 : 0), c.buffer_bytes) << c.answer;
    }
}

TEST(StartPlayback, SilentDeviceTicksFromTheTimer)
{
    sound_mode = 0;
    tick_calls = 0;
    start_playback(50, [] { ++tick_calls; });
    EXPECT_EQ(tick_interval, 20);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (tick_calls < 3 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    SDL_SetTimer(0, nullptr);
    SDL_Quit();
    EXPECT_GE(tick_calls.load(), 3);
}
