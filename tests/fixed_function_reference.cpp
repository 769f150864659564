// The fixed-function cases drawn by the system's OpenGL 1.x, written to one
// file for the layer's test: per case, its numbers and its picture.
#include <cstdio>
#include <string>

#include "headless/headless_gl.h"
#include "tests/fixed_function_cases.h"

int main(int argc, char** argv)
{
    std::string error;
    if (argc != 2 || !make_headless_context(kCaseWidth, kCaseHeight, &error)) {
        std::fprintf(stderr, "fixed_function_reference: %s\n", argc != 2 ? "usage: OUT" : error.c_str());
        return 1;
    }
    FILE* out = std::fopen(argv[1], "wb");
    make_case_textures();
    std::vector<uint8_t> rgba;
    std::vector<float> values;
    bool written = out != nullptr;
    for (int k = 0; k < kFixedFunctionCaseCount && written; ++k) {
        run_case(k, &rgba, &values);
        written = std::fwrite(values.data(), sizeof(float), kCaseValues, out) == kCaseValues &&
                  std::fwrite(rgba.data(), 1, rgba.size(), out) == rgba.size();
    }
    if (!out || std::fclose(out) != 0 || !written) {
        std::fprintf(stderr, "fixed_function_reference: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
