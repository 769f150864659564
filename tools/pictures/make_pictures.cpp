// make_pictures OUTDIR: paints the demo's seven pictures and writes them as
// 512x512 JPEGs into OUTDIR. Output depends on nothing but this source, so
// every run writes the same bytes.
#include <cstdio>
#include <string>

#include "tools/pictures/pictures_image.h"

struct PictureEntry {
    const char* file_name;
    Image (*paint)();
};

// In the texture set's order (index 0..6).
static const PictureEntry kPictures[kPictureCount] = {
    {"velmor.jpg", paint_plasma},  {"tandro.jpg", paint_landscape}, {"quillet.jpg", paint_star_flower},
    {"brasko.jpg", paint_metaballs}, {"orvane.jpg", paint_emblem},  {"pimsel.jpg", paint_title},
    {"dorrin.jpg", paint_cells},
};

static constexpr int kJpegQuality = 90;

int main(int argc, char** argv)
{
    if (argc != 2 || argv[1][0] == '\0') {
        std::fprintf(stderr, "usage: make_pictures OUTDIR\n");
        return 2;
    }
    const std::string out_dir = argv[1];
    for (const PictureEntry& entry : kPictures) {
        const Image image = entry.paint();
        const std::string path = out_dir + "/" + entry.file_name;
        if (!write_jpeg(path.c_str(), image, kJpegQuality)) return 1;
    }
    return 0;
}
