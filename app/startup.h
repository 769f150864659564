// Start-up: the textures, the module file, the sound device and the song,
// in the order the demo needs them.
#pragma once
#include <cstddef>
#include <cstdint>

// The module is read into a buffer of this size; a longer file is cut, a
// shorter one leaves zeros after it.
constexpr size_t kModuleBufferSize = 300000;
constexpr const char* kModuleFileName = "zentaro.mod";
constexpr const char* kModulePath = "data/zentaro.mod";

// Patterns are converted in place here and the samples play from it, so it
// lives for the whole run.
extern uint8_t module_buffer[kModuleBufferSize];

// Textures and module file from data_dir (no trailing slash), the sound
// device (choose_sound_device: the device menu on the desktop; it runs once
// the module file is read and before the song is loaded from it), module
// load, effect clears. 1 on success, 0 when
// the module file can't be opened.
int load_resources(const char* data_dir, int (*choose_sound_device)());
// The steps of load_resources, for tools that start up without the menu:
// the module file into module_buffer (1, or 0 when it can't be opened), and
// pt_load (its refusal reported on standard error) with the clears of the
// tube and the scalar field.
int read_module_file(const char* path);
void load_song_and_effects();
