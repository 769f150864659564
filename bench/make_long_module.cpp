// Writes a long 4-channel module for the renderer benchmark: looping
// synthetic instruments and a deterministic pseudo-random score with a mix
// of effects, one pattern per order position.
// usage: make_long_module OUT.mod [PATTERNS]   (1..128, default 96)
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "player/tables.h"
#include "tools/common/mod_writer.h"

static uint32_t lcg_state = 12345;
static uint32_t next_random(uint32_t range)
{
    lcg_state = lcg_state * 1103515245u + 12345u;
    return (lcg_state >> 16) % range;
}

static void make_instruments(ModWriter& writer)
{
    const double pi = 3.14159265358979;
    for (int n = 1; n <= 4; n++) {
        MwSample& sample = writer.samples[n];
        const int length = 2048 * n;
        for (int i = 0; i < length; i++) {
            const double phase = i * 2.0 * pi / 64.0;
            double value = 0.0;
            if (n == 1) value = std::sin(phase);
            if (n == 2) value = std::sin(phase) > 0 ? 0.6 : -0.6;
            if (n == 3) value = (i % 64) / 32.0 - 1.0;
            if (n == 4) value = (static_cast<int>(next_random(256)) - 128) / 128.0 * std::exp(-i / 2000.0);
            sample.data.push_back(static_cast<int8_t>(std::lround(value * 60.0)));
        }
        sample.volume = 48;
        if (n != 4) {  // the drum plays once; the rest loop over their second half
            sample.loop_start_words = static_cast<uint16_t>(length / 4);
            sample.loop_length_words = static_cast<uint16_t>(length / 4);
        }
    }
}

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_long_module OUT.mod [PATTERNS]\n");
        return 2;
    }
    const int patterns = argc > 2 ? std::atoi(argv[2]) : 96;
    if (patterns < 1 || patterns > 128) {
        std::fprintf(stderr, "make_long_module: PATTERNS is 1..128\n");
        return 2;
    }
    ModWriter writer;
    make_instruments(writer);
    writer.song_length = static_cast<uint8_t>(patterns);
    const uint8_t effects[][2] = {{0x0, 0x37}, {0x4, 0x46}, {0xA, 0x02}, {0x1, 0x02}, {0x2, 0x02},
                                  {0x7, 0x34}, {0x0, 0x00}, {0x0, 0x00}, {0xC, 0x30}, {0xE, 0x93}};
    for (int p = 0; p < patterns; p++) {
        writer.order[p] = static_cast<uint8_t>(p);
        for (int row = 0; row < 64; row++) {
            for (int channel = 0; channel < 4; channel++) {
                MwCell cell;
                if (channel == 3 ? row % 4 == 0 : next_random(3) == 0) {
                    cell.sample = static_cast<uint8_t>(channel == 3 ? 4 : 1 + next_random(3));
                    cell.period = period_table[0][24 + next_random(30)];
                }
                const uint8_t* effect = effects[next_random(10)];
                cell.command = effect[0];
                cell.param = effect[1];
                mw_set_cell(writer, p, row, channel, cell);
            }
        }
    }
    const std::vector<uint8_t> bytes = mw_build(writer);
    FILE* out = std::fopen(argv[1], "wb");
    if (!out || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() || std::fclose(out) != 0) {
        std::fprintf(stderr, "make_long_module: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
