#include <GL/gl.h>
#include <SDL.h>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/clock.h"
#include "app/data_search.h"
#include "app/shell.h"
#include "app/startup.h"
#include "player/player.h"
#include "sound/sound_device.h"

// True only for exactly one argument that is exactly "-w".
static bool windowed_requested(int argc, char** argv)
{
    return argc == 2 && std::strcmp(argv[1], "-w") == 0;
}

uint32_t video_flags(int argc, char** argv)
{
    uint32_t flags = SDL_OPENGL | SDL_HWSURFACE;
    if (!windowed_requested(argc, argv)) flags |= SDL_FULLSCREEN;
    return flags;
}

bool past_the_end(int32_t position)
{
    return static_cast<uint32_t>(position) > kLastPosition;
}

void pre_answer_device_menu()
{
    // Pushed in reverse, so the next read sees '2' then the newline.
    std::ungetc('\n', stdin);
    std::ungetc('2', stdin);
}

static int start_up_show_from(const char* data_dir, int (*choose_sound_device)())
{
    install_show_clock(kLiveClock);
    if (!load_resources(data_dir, choose_sound_device)) return 0;

    glClearColor(0, 0, 0, 0);
    glEnable(GL_TEXTURE_2D);
    return 1;
}

int start_up_show(const char* data_dir)
{
    pre_answer_device_menu();
    return start_up_show_from(data_dir, select_sound_device);
}

int start_up_show_choosing(int (*choose_sound_device)())
{
    return start_up_show_from(kWorkingDataDir, choose_sound_device);
}

// Names both places searched, so a user of the installed program sees where
// its data was expected.
static void report_missing_module(const std::string& installed_dir)
{
    if (installed_dir.empty()) {
        std::fprintf(stderr, "periodica: cannot open the module %s/%s under the working directory\n",
                     kWorkingDataDir, kModuleFileName);
    } else {
        std::fprintf(stderr, "periodica: cannot open the module: looked for %s/%s under the working directory "
                             "and %s/%s\n",
                     kWorkingDataDir, kModuleFileName, installed_dir.c_str(), kModuleFileName);
    }
}

bool before_first_row()
{
    return static_cast<uint32_t>(song_position()) > 100;
}

bool draw_live_frame(int width, int height)
{
    const double p = static_cast<double>(static_cast<uint32_t>(song_position()));
    draw_frame(p, width, height);
    return past_the_end(song_position());
}

int run_demo(int argc, char** argv)
{
    const std::string installed_dir = installed_data_dir(own_program_path());
    const std::string found_dir = find_data_dir(installed_dir);
    // With neither, the working directory's data/ is read as before, so each
    // picture gets its placeholder warning and the module its message.
    const std::string data_dir = found_dir.empty() ? kWorkingDataDir : found_dir;
    const uint32_t flags = video_flags(argc, argv);
    SDL_Init(SDL_INIT_VIDEO);
    if (!SDL_SetVideoMode(kScreenWidth, kScreenHeight, 32, flags)) {
        std::fprintf(stderr, "periodica: cannot open a %dx%d OpenGL window: %s\n",
                     kScreenWidth, kScreenHeight, SDL_GetError());
        SDL_Quit();
        return 2;
    }
    SDL_ShowCursor(SDL_DISABLE);

    if (!start_up_show(data_dir.c_str())) {
        report_missing_module(installed_dir);
        return 1;
    }
    start_playback(kTicksPerSecond, pt_tick);

    // The replay routine starts row 0 of order 0 on its own thread.
    while (before_first_row()) {
    }
    demo_time();  // fixes the clock's zero at the first frame

    int quit_count = 0;
    SDL_Event event;
    for (;;) {
        if (draw_live_frame()) ++quit_count;
        SDL_GL_SwapBuffers();
        while (SDL_PollEvent(&event) > 0) {
            if (event.type == SDL_QUIT || event.type == SDL_MOUSEBUTTONDOWN) ++quit_count;
        }
        if (quit_count != 0) {
            SDL_Quit();
            return 0;
        }
    }
}
