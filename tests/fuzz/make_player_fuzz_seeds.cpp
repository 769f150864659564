// Writes the seed modules of the player fuzzer into a directory: small
// modules of several channel counts that use every effect command, loops
// ending at the sample's end, and the bounds cases the loader tests build.
// usage: make_player_fuzz_seeds DIR
#include <cstdio>
#include <fstream>
#include <string>

#include "tools/common/mod_writer.h"

static bool write_seed(const std::string& path, const ModWriter& writer)
{
    const std::vector<uint8_t> bytes = mw_build(writer);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

static ModWriter base_module(const char* tag, uint32_t channels)
{
    ModWriter writer;
    for (int i = 0; i < 4; i++) writer.signature[i] = tag[i];
    writer.channels = channels;
    writer.song_length = 2;
    writer.order[1] = 1;
    writer.samples[1].data.assign(64, 40);
    writer.samples[1].loop_start_words = 16;
    writer.samples[1].loop_length_words = 16;  // ends at the sample's end
    writer.samples[2].data.assign(32, -30);
    writer.samples[2].finetune = 0x0F;
    writer.samples[3].data.assign(16, 90);     // the last sample: its loop's byte after is the end
    writer.samples[3].loop_start_words = 2;
    writer.samples[3].loop_length_words = 6;
    return writer;
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_player_fuzz_seeds DIR\n");
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/seed_";
    bool ok = true;
    const struct { const char* tag; uint32_t channels; } formats[] = {
        {"M.K.", 4}, {"2CHN", 2}, {"8CHN", 8}, {"32CH", 32}};
    const uint8_t params[] = {0x00, 0x37, 0x4F, 0xF1, 0x93, 0xC9, 0xD2, 0xE2, 0x62, 0x60};
    // Per format one module per command: the command with several
    // parameters, on notes of all three samples, on every channel.
    for (const auto& format : formats) {
        for (uint8_t command = 0; command < 16; command++) {
            ModWriter writer = base_module(format.tag, format.channels);
            for (int row = 0; row < 10; row++) {
                for (uint32_t channel = 0; channel < format.channels; channel++) {
                    const uint8_t sample = static_cast<uint8_t>(row % 3 == 0 ? 1 + channel % 3 : 0);
                    const uint16_t period = row % 2 == 0 ? static_cast<uint16_t>(856 >> (channel % 3)) : 0;
                    const uint8_t param = static_cast<uint8_t>(params[row] + (command == 0xE ? 0 : channel));
                    mw_set_cell(writer, row % 2, row * 6, static_cast<int>(channel), {sample, period, command, param});
                }
            }
            const std::string name = std::to_string(format.channels) + "ch_command" + std::to_string(command);
            ok = write_seed(dir + name + ".mod", writer) && ok;
        }
    }
    // Bounds cases: a header that lies about lengths and loops, a sample
    // number above 31, a break beyond the pattern, a restart past the song.
    ModWriter lying = base_module("M.K.", 4);
    lying.samples[4].length_words = 30000;
    lying.samples[4].loop_start_words = 40000;
    lying.samples[4].loop_length_words = 50000;
    lying.restart = 100;
    mw_set_cell(lying, 0, 0, 0, MwCell{0xF4, 428, 0xD, 0xFF});
    mw_set_cell(lying, 0, 1, 1, MwCell{4, 113, 0x9, 0xFF});
    ok = write_seed(dir + "bounds.mod", lying) && ok;
    if (!ok) std::fprintf(stderr, "make_player_fuzz_seeds: cannot write into %s\n", argv[1]);
    return ok ? 0 : 1;
}
