#include "capture/capture_png.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <vector>

// Kept out of the setjmp frame so a longjmp doesn't leave them indeterminate.
static bool write_rows(png_structp png, png_infop info, FILE* file, const uint8_t* rgba, int width, int height,
                       std::vector<uint8_t>* row)
{
    if (setjmp(png_jmpbuf(png))) return false;
    png_init_io(png, file);
    // Fast compression: a whole show is thousands of frames.
    png_set_compression_level(png, 3);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = height - 1; y >= 0; --y) {
        const uint8_t* source = rgba + static_cast<size_t>(y) * width * 4;
        for (int x = 0; x < width; ++x) {
            (*row)[x * 3 + 0] = source[x * 4 + 0];
            (*row)[x * 3 + 1] = source[x * 4 + 1];
            (*row)[x * 3 + 2] = source[x * 4 + 2];
        }
        png_write_row(png, row->data());
    }
    png_write_end(png, nullptr);
    return true;
}

bool write_png_frame(const char* path, const uint8_t* rgba, int width, int height, std::string* error)
{
    FILE* file = std::fopen(path, "wb");
    if (!file) {
        *error = std::string("cannot create ") + path;
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    std::vector<uint8_t> row(static_cast<size_t>(width) * 3);
    bool ok = png && info && write_rows(png, info, file, rgba, width, height, &row);
    png_destroy_write_struct(&png, &info);
    if (std::fclose(file) != 0) ok = false;
    if (!ok) *error = std::string("cannot write ") + path;
    return ok;
}
