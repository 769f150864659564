#include "gfx/effects/scalar_field.h"

#include <algorithm>
#include <cmath>
#include <cstring>

float scalar_field[kFieldSize][kFieldSize][kFieldSize];
float iso_level = 0.5f;
float cell_scale[3] = {1.0f, 1.0f, 1.0f};

static constexpr int kSourceCount = 3;

void field_clear()
{
    std::memset(scalar_field, 0, sizeof scalar_field);
}

// Source positions in lattice-index units (centre 8), from trigonometry in
// double precision stored as floats. The second and third sources share y.
static void place_sources(double t, float sources[kSourceCount][3])
{
    const float shared_y = static_cast<float>(2 * std::sin(7 * t) + 2 * std::cos(3 * t) + 8);
    sources[0][0] = static_cast<float>(4 * std::sin(t) + 8);
    sources[0][1] = static_cast<float>(2 * std::sin(3 * t) + 2 * std::cos(t) + 8);
    sources[0][2] = static_cast<float>(2 * std::sin(4 * t) - 2 * std::cos(2 * t) + 8);
    sources[1][0] = static_cast<float>(5 * std::sin(2 * t) + 8);
    sources[1][1] = shared_y;
    sources[1][2] = static_cast<float>(2 * std::sin(6 * t) - 2 * std::cos(t) + 8);
    sources[2][0] = static_cast<float>(4 * std::sin(3 * t) + 8);
    sources[2][1] = shared_y;
    sources[2][2] = static_cast<float>(2 * std::sin(6 * t) - 2 * std::cos(5 * t) + 8);
}

void field_update(float t)
{
    iso_level = 0.1f;
    float sources[kSourceCount][3];
    place_sources(t, sources);

    // The squared distance splits per axis, so each axis's squares are
    // formed once per source instead of once per lattice point.
    float square[kSourceCount][3][kFieldSize];
    for (int s = 0; s < kSourceCount; ++s)
        for (int axis = 0; axis < 3; ++axis)
            for (int n = 0; n < kFieldSize; ++n) {
                const float d = static_cast<float>(n) - sources[s][axis];
                square[s][axis][n] = d * d;
            }

    const float inverse_spread = 1.0f / 30.0f;
    for (int i = 0; i < kFieldSize; ++i)
        for (int j = 0; j < kFieldSize; ++j)
            for (int k = 0; k < kFieldSize; ++k) {
                float sum = 0.0f;
                for (int s = 0; s < kSourceCount; ++s) {
                    const float d2 = square[s][0][i] + square[s][1][j] + square[s][2][k];
                    // Full weight out to d2 = 3, none from d2 = 33 on.
                    const float weight = std::min(std::max(1.1f - d2 * inverse_spread, 0.0f), 1.0f);
                    sum += weight;
                }
                scalar_field[i][j][k] = 10.0f * std::max(std::min(sum * iso_level, 1.0f), 0.0f);
            }
}
