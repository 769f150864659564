// Encodes an Image as a baseline RGB JPEG with libjpeg.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>

#include "tools/pictures/pictures_image.h"

int write_jpeg(const char* path, const Image& image, int quality)
{
    if (image.width <= 0 || image.height <= 0 ||
        image.rgb.size() != static_cast<size_t>(image.width) * image.height * 3) {
        std::fprintf(stderr, "make_pictures: %s: image has no pixels or a wrong size\n", path);
        return 0;
    }
    FILE* file = std::fopen(path, "wb");
    if (!file) {
        std::fprintf(stderr, "make_pictures: cannot create %s: %s\n", path, std::strerror(errno));
        return 0;
    }

    // The standard error manager ends the process with libjpeg's message;
    // for a build tool that is the right outcome for an encoder fault.
    jpeg_compress_struct info;
    jpeg_error_mgr error_manager;
    info.err = jpeg_std_error(&error_manager);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(image.width);
    info.image_height = static_cast<JDIMENSION>(image.height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    // Full-resolution chroma: the pictures have thin saturated lines (grid,
    // cell borders, lettering) that 2x2 subsampling would smear.
    for (int i = 0; i < info.num_components; ++i) {
        info.comp_info[i].h_samp_factor = 1;
        info.comp_info[i].v_samp_factor = 1;
    }
    jpeg_start_compress(&info, TRUE);
    const size_t row_size = static_cast<size_t>(image.width) * 3;
    while (info.next_scanline < info.image_height) {
        // libjpeg takes non-const rows but only reads them.
        JSAMPROW row = const_cast<JSAMPROW>(image.rgb.data() + info.next_scanline * row_size);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);

    const bool write_failed = std::ferror(file) != 0;
    if (std::fclose(file) != 0 || write_failed) {
        std::fprintf(stderr, "make_pictures: writing %s failed\n", path);
        return 0;
    }
    return 1;
}
