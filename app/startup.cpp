#include "app/startup.h"

#include <cstdio>
#include <string>

#include "gfx/effects/effects.h"
#include "gfx/effects/scalar_field.h"
#include "gfx/textures.h"
#include "player/player.h"
#include "sound/sound_device.h"

uint8_t module_buffer[kModuleBufferSize];

int read_module_file(const char* path)
{
    FILE* module_file = std::fopen(path, "rb");
    if (!module_file) return 0;
    // A longer file is cut; a shorter one leaves the rest of the buffer zero.
    const size_t read = std::fread(module_buffer, 1, kModuleBufferSize, module_file);
    (void)read;
    std::fclose(module_file);
    return 1;
}

void load_song_and_effects()
{
    if (!pt_load(module_buffer, kModuleBufferSize)) std::fprintf(stderr, "periodica: %s\n", last_error);
    field_clear();
    tube_clear();
}

int load_resources(const char* data_dir, int (*choose_sound_device)())
{
    load_textures_from(data_dir);
    const std::string module_path = std::string(data_dir) + "/" + kModuleFileName;
    if (!read_module_file(module_path.c_str())) return 0;
    choose_sound_device();
    load_song_and_effects();
    return 1;
}
