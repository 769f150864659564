// make_soundtrack OUT.mod: composes the demo's soundtrack and writes it as a
// 4-channel ProTracker module. The output depends on nothing but this
// source, so every build writes the same bytes.
#include <cstdio>

#include "tools/soundtrack/soundtrack_song.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_soundtrack OUT.mod\n");
        return 2;
    }
    Song song;
    synthesise_samples(song);
    compose_song(song);
    std::vector<uint8_t> bytes = write_module(song);
    std::FILE* file = std::fopen(argv[1], "wb");
    if (!file) {
        std::fprintf(stderr, "make_soundtrack: cannot write %s\n", argv[1]);
        return 1;
    }
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    written = std::fclose(file) == 0 && written;
    if (!written) {
        std::fprintf(stderr, "make_soundtrack: writing %s failed\n", argv[1]);
        return 1;
    }
    return 0;
}
