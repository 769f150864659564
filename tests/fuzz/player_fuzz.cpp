// libFuzzer target: arbitrary bytes as a module in a buffer of exactly their
// size, loaded and played for a few hundred ticks through the demo's audio
// callback and mixer. Any read or write outside a buffer, or undefined
// behaviour, is reported by the sanitizers.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "player/player.h"
#include "sound/mixer.h"
#include "sound/sound_device.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Nothing a module describes needs more; larger inputs only slow the search.
    if (size > (1u << 20)) return 0;
    // The exact size, no padding: a byte read past the module is caught.
    std::vector<uint8_t> module(data, data + size);
    const int32_t mode = size % 2 == 0 ? 2 : 1;
    // As in the demo: the device (which clears the sample slots) before the load.
    install_offline_device(mode, kTicksPerSecond, pt_tick);
    const int loaded = pt_load(module.data(), module.size());
    static uint8_t output[4096];
    if (!loaded) {
        // A refused module leaves nothing to play; ticks must stay harmless.
        audio_callback(nullptr, output, 2048);
        return 0;
    }
    // Two requests as the demo makes them, then 300 ticks with a short mix
    // after each: enough to run samples through their ends and loops while
    // keeping the search fast.
    audio_callback(nullptr, output, mode == 2 ? 4096 : 2048);
    audio_callback(nullptr, output, mode == 2 ? 4096 : 2048);
    for (int i = 0; i < 300; i++) {
        pt_tick();
        mix_samples(output, 96, mode == 2 ? 1 : 0);
    }
    return 0;
}
