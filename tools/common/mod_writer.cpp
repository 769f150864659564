#include "tools/common/mod_writer.h"

#include <algorithm>

void mw_set_cell(ModWriter& writer, int pattern, int row, int channel, MwCell cell)
{
    if (writer.patterns.size() <= static_cast<size_t>(pattern)) writer.patterns.resize(pattern + 1);
    std::vector<MwCell>& cells = writer.patterns[pattern];
    cells.resize(64 * writer.channels);
    cells[row * writer.channels + channel] = cell;
}

static void put_word(std::vector<uint8_t>& out, uint32_t value)
{
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value));
}

static void put_text(std::vector<uint8_t>& out, const std::string& text, size_t width)
{
    for (size_t i = 0; i < width; ++i) out.push_back(i < text.size() ? static_cast<uint8_t>(text[i]) : 0);
}

std::vector<uint8_t> mw_build(const ModWriter& writer)
{
    std::vector<uint8_t> out;
    put_text(out, writer.title, 20);
    for (int n = 1; n <= 31; n++) {
        const MwSample& sample = writer.samples[n];
        put_text(out, writer.sample_names[n], 22);
        const int32_t words = sample.length_words >= 0 ? sample.length_words
                                                       : static_cast<int32_t>((sample.data.size() + 1) / 2);
        put_word(out, static_cast<uint32_t>(words));
        out.push_back(sample.finetune);
        out.push_back(sample.volume);
        put_word(out, sample.loop_start_words);
        put_word(out, sample.loop_length_words);
    }
    out.push_back(writer.song_length);
    out.push_back(writer.restart);
    out.insert(out.end(), writer.order, writer.order + 128);
    out.insert(out.end(), writer.signature, writer.signature + 4);

    const int32_t pattern_count = writer.pattern_count >= 0
                                      ? writer.pattern_count
                                      : *std::max_element(writer.order, writer.order + 128) + 1;
    for (int32_t p = 0; p < pattern_count; p++) {
        for (uint32_t i = 0; i < 64 * writer.channels; i++) {
            MwCell cell;
            if (static_cast<size_t>(p) < writer.patterns.size() && i < writer.patterns[p].size())
                cell = writer.patterns[p][i];
            out.push_back(static_cast<uint8_t>((cell.sample & 0xF0) | ((cell.period >> 8) & 0x0F)));
            out.push_back(static_cast<uint8_t>(cell.period));
            out.push_back(static_cast<uint8_t>(((cell.sample & 0x0F) << 4) | (cell.command & 0x0F)));
            out.push_back(cell.param);
        }
    }
    for (int n = 1; n <= 31; n++) {
        const std::vector<int8_t>& data = writer.samples[n].data;
        for (int8_t value : data) out.push_back(static_cast<uint8_t>(value));
        if (data.size() % 2 != 0) out.push_back(0);
    }
    return out;
}
