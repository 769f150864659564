// The two pictures that the strip drop-in cuts into four horizontal quarters
// and adds over the scene: the title on a nebula, and stained-glass cells.
// Each quarter has something of its own to show as it falls in.
#include <algorithm>
#include <cmath>
#include <cstddef>

#include "tools/pictures/pictures_image.h"

static constexpr const char* kTitle = "PERIODICA";
static constexpr int kTitleCell = 9;
// Title set in the second quarter (rows 128..255), centred in it.
static constexpr int kTitleTop = 192 - kGlyphHeight * kTitleCell / 2;

// One horizontal then one vertical box pass of the given radius, in place.
static void box_blur(std::vector<float>& plane, int size, int radius)
{
    std::vector<float> tmp(plane.size());
    const float inv = 1.0f / static_cast<float>(2 * radius + 1);
    for (int pass = 0; pass < 2; ++pass) {
        const int step_along = pass == 0 ? 1 : size;
        const int step_lines = pass == 0 ? size : 1;
        for (int line = 0; line < size; ++line) {
            for (int i = 0; i < size; ++i) {
                float sum = 0.0f;
                for (int k = -radius; k <= radius; ++k) {
                    const int j = std::clamp(i + k, 0, size - 1);
                    sum += plane[static_cast<size_t>(line) * step_lines + static_cast<size_t>(j) * step_along];
                }
                tmp[static_cast<size_t>(line) * step_lines + static_cast<size_t>(i) * step_along] = sum * inv;
            }
        }
        plane.swap(tmp);
    }
}

// Nebula from warped noise, a field of stars, and "PERIODICA" in the
// built-in font as glowing bevelled blocks with a thin rule under it.
Image paint_title()
{
    Image image = make_image(kPictureSize, kPictureSize);
    const int title_left = (kPictureSize - text_width(kTitle) * kTitleCell) / 2;
    const size_t plane_size = static_cast<size_t>(kPictureSize) * kPictureSize;

    std::vector<float> letters(plane_size, 0.0f);
    for (int y = 0; y < kPictureSize; ++y)
        for (int x = 0; x < kPictureSize; ++x)
            letters[static_cast<size_t>(y) * kPictureSize + x] =
                static_cast<float>(text_covers(kTitle, kTitleCell, x - title_left, y - kTitleTop));
    // Three box passes approximate a gaussian glow.
    std::vector<float> glow = letters;
    for (int i = 0; i < 3; ++i) box_blur(glow, kPictureSize, 6);

    Rng rng = rng_seeded(0x5EED01);
    std::vector<float> stars(plane_size, 0.0f);
    for (int i = 0; i < 420; ++i) {
        const int x = static_cast<int>(rng_unit(rng) * kPictureSize);
        const int y = static_cast<int>(rng_unit(rng) * kPictureSize);
        const float b = rng_unit(rng);
        stars[static_cast<size_t>(y) * kPictureSize + x] = b * b;
    }

    for (int y = 0; y < kPictureSize; ++y) {
        for (int x = 0; x < kPictureSize; ++x) {
            const size_t at = static_cast<size_t>(y) * kPictureSize + x;
            const float u = x / 128.0f, v = y / 128.0f;
            // Domain-warped fbm: the warp stretches the clouds into wisps.
            const float qx = fbm(u, v, 5, 31), qy = fbm(u + 5.2f, v + 1.3f, 5, 32);
            const float n = fbm(u + 2.5f * qx, v + 2.5f * qy, 6, 33);
            const float dust = smoothstep(0.35f, 0.8f, n);
            Colour col = mix(rgb(0.01f, 0.0f, 0.04f), rgb(0.35f, 0.08f, 0.45f), dust);
            // The warp field itself picks teal or rose for the brighter gas.
            col = mix(col, rgb(0.1f, 0.45f, 0.65f), smoothstep(0.45f, 0.8f, n) * smoothstep(0.4f, 0.65f, qy));
            col = mix(col, rgb(0.7f, 0.2f, 0.4f), smoothstep(0.5f, 0.85f, n) * smoothstep(0.6f, 0.4f, qx));
            col = add(col, scale(rgb(1.0f, 0.55f, 0.6f), std::pow(smoothstep(0.6f, 0.95f, n), 2.0f) * 0.5f));
            col = add(col, scale(rgb(0.9f, 0.95f, 1.0f), stars[at]));

            // Letters: each font pixel a block lit from above, with a dark
            // seam between blocks so the pixel font reads as such.
            if (letters[at] > 0.0f) {
                const int lx = (x - title_left) % kTitleCell, ly = (y - kTitleTop) % kTitleCell;
                const float vertical = static_cast<float>(y - kTitleTop) / (kGlyphHeight * kTitleCell);
                Colour face = mix(rgb(1.0f, 1.0f, 0.9f), rgb(0.35f, 0.85f, 1.0f), vertical);
                if (lx == 0 || ly == 0) face = scale(face, 1.25f);
                if (lx == kTitleCell - 1 || ly == kTitleCell - 1) face = scale(face, 0.55f);
                col = face;
            } else {
                col = add(scale(col, 1.0f - glow[at]), scale(rgb(0.3f, 0.7f, 1.0f), glow[at] * 1.6f));
            }
            // A thin rule under the title, brightest in the middle.
            const int rule_y = kTitleTop + kGlyphHeight * kTitleCell + 14;
            if (y == rule_y || y == rule_y + 1) {
                const float span = 1.0f - std::fabs(x - 256.0f) / 240.0f;
                col = add(col, scale(rgb(0.5f, 0.8f, 1.0f), clamp01(span) * 0.9f));
            }
            put_pixel(image, x, y, col);
        }
    }
    return image;
}

// Stained glass: Voronoi cells around jittered grid points, each cell a
// colour from a palette, lit brighter at its centre, with dark leading.
Image paint_cells()
{
    Image image = make_image(kPictureSize, kPictureSize);
    constexpr int kGrid = 8;
    constexpr float kCell = static_cast<float>(kPictureSize) / kGrid;
    struct Site {
        float x, y;
        Colour colour;
    };
    std::vector<Site> sites;
    Rng rng = rng_seeded(0xD0881);
    const Colour pa = rgb(0.5f, 0.5f, 0.5f), pb = rgb(0.5f, 0.5f, 0.5f);
    const Colour pc = rgb(1.0f, 1.0f, 1.0f), pd = rgb(0.0f, 0.33f, 0.67f);
    for (int gy = 0; gy < kGrid; ++gy) {
        for (int gx = 0; gx < kGrid; ++gx) {
            const float x = (gx + 0.15f + 0.7f * rng_unit(rng)) * kCell;
            const float y = (gy + 0.15f + 0.7f * rng_unit(rng)) * kCell;
            // Hue drifts diagonally across the window, with a random nudge.
            const float hue = (gx + gy) / (2.0f * kGrid) + 0.25f * rng_unit(rng);
            sites.push_back({x, y, cosine_palette(hue, pa, pb, pc, pd)});
        }
    }

    for (int y = 0; y < kPictureSize; ++y) {
        for (int x = 0; x < kPictureSize; ++x) {
            const float fx = x + 0.5f, fy = y + 0.5f;
            // Nearest and second-nearest sites; only the 3x3 neighbouring
            // grid cells can hold them, since each site stays in its cell.
            const int cx = std::min(kGrid - 1, static_cast<int>(fx / kCell));
            const int cy = std::min(kGrid - 1, static_cast<int>(fy / kCell));
            float d1 = 1e9f, d2 = 1e9f;
            int nearest = 0, second = 0;
            for (int gy = std::max(0, cy - 2); gy <= std::min(kGrid - 1, cy + 2); ++gy) {
                for (int gx = std::max(0, cx - 2); gx <= std::min(kGrid - 1, cx + 2); ++gx) {
                    const int index = gy * kGrid + gx;
                    const float d = std::hypot(fx - sites[index].x, fy - sites[index].y);
                    if (d < d1) {
                        d2 = d1, second = nearest;
                        d1 = d, nearest = index;
                    } else if (d < d2) {
                        d2 = d, second = index;
                    }
                }
            }
            const Site& s = sites[nearest];
            const Site& t = sites[second];
            // Distance to the bisector between the two sites, in pixels.
            const float sep = std::hypot(t.x - s.x, t.y - s.y);
            const float edge = (d2 * d2 - d1 * d1) / (2.0f * std::max(sep, 1e-3f));
            const float lit = 0.55f + 0.6f * std::exp(-d1 / 30.0f);
            // Glass texture: faint streaks from noise.
            const float grain = 0.85f + 0.3f * fbm(fx / 40.0f, fy / 9.0f, 3, 41);
            Colour col = scale(s.colour, lit * grain);
            col = add(col, scale(rgb(1.0f, 1.0f, 1.0f), std::pow(std::exp(-d1 / 18.0f), 2.0f) * 0.35f));
            // Leading: dark lines with a slight highlight on one side.
            const float lead = smoothstep(3.5f, 2.0f, edge);
            col = mix(col, rgb(0.03f, 0.02f, 0.05f), lead);
            col = add(col, scale(rgb(0.5f, 0.45f, 0.4f), smoothstep(2.0f, 3.5f, edge) * smoothstep(6.0f, 3.5f, edge) * 0.4f));
            put_pixel(image, x, y, col);
        }
    }
    return image;
}
