#include "flash_analysis/flash_light.h"

#include <array>
#include <cmath>

#include "flash_analysis/flash_rules.h"

static std::array<float, 256> make_linear_table()
{
    std::array<float, 256> table{};
    for (int i = 0; i < 256; ++i) {
        const double c = i / 255.0;
        table[i] = static_cast<float>(c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
    }
    return table;
}

const float* linear_srgb_table()
{
    static const std::array<float, 256> table = make_linear_table();
    return table.data();
}

float linear_of_srgb(uint8_t component) { return linear_srgb_table()[component]; }

double relative_luminance(double r, double g, double b) { return 0.2126 * r + 0.7152 * g + 0.0722 * b; }

double red_value(double r, double g, double b)
{
    const double value = (r - g - b) * kRedScale;
    return value > 0 ? value : 0;
}

bool saturated_red(double r, double g, double b)
{
    const double sum = r + g + b;
    return sum > 0 && r >= kSaturatedRedShare * sum;
}
