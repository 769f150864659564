// Preloaded into the demo by the whole-program test: records every buffer the
// program's audio callback hands SDL, byte for byte, into $AUDIO_TAP_FILE.
// SDL itself converts the stream to its device format before the disk driver
// writes it, which would hide the program's own bytes.
#include <SDL.h>
#include <dlfcn.h>
#include <cstdio>
#include <cstdlib>

static void (*program_callback)(void*, Uint8*, int);
static FILE* tap_file;

static void tap_callback(void* user_data, Uint8* stream, int length)
{
    program_callback(user_data, stream, length);
    if (tap_file) {
        std::fwrite(stream, 1, static_cast<size_t>(length), tap_file);
        std::fflush(tap_file);
    }
}

extern "C" int SDL_OpenAudio(SDL_AudioSpec* desired, SDL_AudioSpec* obtained)
{
    using OpenAudio = int (*)(SDL_AudioSpec*, SDL_AudioSpec*);
    auto real_open = reinterpret_cast<OpenAudio>(dlsym(RTLD_NEXT, "SDL_OpenAudio"));
    if (!real_open) return -1;
    const char* path = std::getenv("AUDIO_TAP_FILE");
    if (path && desired && desired->callback) {
        tap_file = std::fopen(path, "wb");
        program_callback = desired->callback;
        desired->callback = tap_callback;
    }
    return real_open(desired, obtained);
}
