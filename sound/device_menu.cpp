// The console menu that chooses the sound device.
#include <cstdio>

#include "sound/sound_device.h"

static int install_chosen_device(char choice)
{
    switch (choice) {
    case '0':
        sound_mode = 0;
        return install_nosound_device();
    case '1':
        sound_mode = 1;
        return install_sdl_audio_device(sound_mode_rate(1));
    case '2':
        sound_mode = 2;
        return install_sdl_audio_device(sound_mode_rate(2));
    default:
        return 0;
    }
}

int select_sound_device()
{
    std::fputs("Select your sound device:\n"
               "0 - None\n"
               "1 - 8-bit 22kHz\n"
               "2 - 16-bit 44kHz\n",
               stdout);
    std::fflush(stdout);

    // Only the first character counts; the width keeps a long word inside
    // the buffer (the rest of it stays unread on standard input).
    char answer[120];
    int installed = 0;
    if (std::scanf("%119s", answer) == 1) installed = install_chosen_device(answer[0]);

    if (!installed) {
        // No device would leave the table empty and the music without a
        // clock; the silent device keeps the schedule running on the timer.
        sound_mode = 0;
        install_nosound_device();
        std::fputs("periodica: no sound output available; playing silently\n", stderr);
    }
    sound_device.init();
    sound_device.set_master_volume(64);
    sound_device.start();
    return installed;
}
