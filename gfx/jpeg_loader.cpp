#include <cstdio>
#include <algorithm>
#include <cstdlib>

#include <jpeglib.h>

#include "gfx/textures.h"

// A picture buffer larger than this is taken for a corrupt header, not allocated.
static constexpr size_t kMaxPictureBytes = size_t{64} << 20;

// libjpeg refuses a frame header with a zero dimension by ending the
// process, so the header is looked at first: such a file counts as missing.
// Returns false only when a start-of-frame header with a zero size is found;
// anything else is left to libjpeg. Leaves the file at its start.
static bool frame_size_plausible(FILE* file)
{
    bool plausible = true;
    uint8_t marker[2];
    if (std::fread(marker, 1, 2, file) == 2 && marker[0] == 0xFF && marker[1] == 0xD8) {
        for (;;) {
            uint8_t header[4];
            if (std::fread(header, 1, 4, file) != 4 || header[0] != 0xFF) break;
            const int kind = header[1];
            const long length = (header[2] << 8) | header[3];
            const bool start_of_frame = kind >= 0xC0 && kind <= 0xCF && kind != 0xC4 && kind != 0xC8 && kind != 0xCC;
            if (start_of_frame) {
                uint8_t frame[5];
                if (std::fread(frame, 1, 5, file) == 5) {
                    const int frame_height = (frame[1] << 8) | frame[2];
                    const int frame_width = (frame[3] << 8) | frame[4];
                    plausible = frame_height != 0 && frame_width != 0;
                }
                break;
            }
            if (length < 2 || std::fseek(file, length - 2, SEEK_CUR) != 0) break;
        }
    }
    std::rewind(file);
    return plausible;
}

uint8_t* load_jpeg(const char* path, uint32_t* width, uint32_t* height)
{
    FILE* file = std::fopen(path, "rb");
    if (!file) return nullptr;
    if (!frame_size_plausible(file)) {
        std::fclose(file);
        return nullptr;
    }

    // libjpeg's standard error manager: a file it can't decode ends the
    // process with the library's own message.
    jpeg_decompress_struct info;
    jpeg_error_mgr error_manager;
    info.err = jpeg_std_error(&error_manager);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);

    const size_t w = info.image_width;
    const size_t h = info.image_height;
    const size_t row_size = w * 3;
    if (w == 0 || h == 0 || info.num_components != 3 || row_size > kMaxPictureBytes / (h + 1)) {
        jpeg_destroy_decompress(&info);
        std::fclose(file);
        return nullptr;
    }
    // One row more than the picture needs, as the texture set always had.
    auto* pixels = static_cast<uint8_t*>(std::malloc((h + 1) * row_size));
    if (!pixels) {
        jpeg_destroy_decompress(&info);
        std::fclose(file);
        return nullptr;
    }
    *width = static_cast<uint32_t>(w);
    *height = static_cast<uint32_t>(h);

    JSAMPARRAY row = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                               static_cast<JDIMENSION>(row_size), 1);
    jpeg_start_decompress(&info);
    while (info.output_scanline < info.output_height) {
        jpeg_read_scanlines(&info, row, 1);
        // Scanline k lands in row k: the buffer is top-down.
        std::copy(row[0], row[0] + row_size, pixels + (info.output_scanline - 1) * row_size);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(file);
    return pixels;
}
