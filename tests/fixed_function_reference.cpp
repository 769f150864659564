// The fixed-function cases drawn by the system's OpenGL 1.x, written to one
// file for the layer's test: per case, its number count, numbers and picture.
#include <cstdio>
#include <string>

#include "tests/fixed_function_cases.h"
#include "tools/common/headless_gl.h"

int main(int argc, char** argv)
{
    std::string error;
    if (argc != 2) {
        std::fprintf(stderr, "usage: fixed_function_reference OUT\n");
        return 2;
    }
    if (!make_headless_context(kCaseWidth, kCaseHeight, &error)) {
        std::fprintf(stderr, "fixed_function_reference: %s\n", error.c_str());
        return 1;
    }
    FILE* out = std::fopen(argv[1], "wb");
    if (!out) {
        std::fprintf(stderr, "fixed_function_reference: cannot write %s\n", argv[1]);
        return 1;
    }
    make_case_textures();
    std::vector<uint8_t> rgba;
    std::vector<float> values;
    bool written = true;
    for (int k = 0; k < kFixedFunctionCaseCount; ++k) {
        run_case(k, &rgba, &values);
        const uint32_t count = static_cast<uint32_t>(values.size());
        written = written && std::fwrite(&count, sizeof count, 1, out) == 1 &&
                  std::fwrite(values.data(), sizeof(float), count, out) == count &&
                  std::fwrite(rgba.data(), 1, rgba.size(), out) == rgba.size();
    }
    if (std::fclose(out) != 0 || !written) {
        std::fprintf(stderr, "fixed_function_reference: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
