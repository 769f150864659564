// The device table and the playback globals.
#include "sound/sound_device.h"

SoundDevice sound_device;
int32_t sound_mode = 0;
int32_t device_rate = sound_mode_rate(2);
std::atomic<int32_t> tick_rate{0};
int32_t tick_interval = 0;
const char* device_name = "";
const char* device_error = "";

static TickFunction tick_function = nullptr;

void run_tick()
{
    if (tick_function) tick_function();
}

void set_tick_rate(int32_t ticks_per_second, TickFunction tick)
{
    tick_function = tick;
    tick_interval = ticks_per_second > 0 ? 1000 / ticks_per_second : 0;
    // The last thing set before the ticks start. The release pairs with the
    // callback's acquire, so the tick thread sees the voices, samples and
    // song prepared on the main thread after SDL created its audio thread,
    // and the tick stored above.
    tick_rate.store(ticks_per_second, std::memory_order_release);
}
