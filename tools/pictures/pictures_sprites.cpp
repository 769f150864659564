// The two sprite pictures. They are added to the scene with the blend
// function (source colour, one), so black shows nothing and a colour counts
// about squared: the shapes are bright and the background exactly black.
#include <algorithm>
#include <cmath>

#include "tools/pictures/pictures_image.h"

static constexpr float kPi = 3.14159265359f;

// Everything is faded to black beyond this radius, so the quad's square edge
// never shows when the sprite spins.
static float edge_fade(float r) { return smoothstep(246.0f, 205.0f, r); }

// A glowing eight-petal flower with a white-hot core and four long rays.
Image paint_star_flower()
{
    Image image = make_image(kPictureSize, kPictureSize);
    for (int y = 0; y < kPictureSize; ++y) {
        for (int x = 0; x < kPictureSize; ++x) {
            const float dx = x + 0.5f - 256.0f, dy = y + 0.5f - 256.0f;
            const float r = std::hypot(dx, dy);
            const float angle = std::atan2(dy, dx);
            // Petal outline: radius swings between 70 and 190 eight times.
            const float lobe = std::pow(std::fabs(std::cos(4.0f * angle)), 0.7f);
            const float outline = 70.0f + 120.0f * lobe;
            const float inside = smoothstep(outline + 2.0f, outline - 2.0f, r);
            const float depth = clamp01(r / outline);
            // Petals run from gold at the heart to magenta at the tips, with
            // a bright vein down the middle of each.
            Colour petal = mix(rgb(1.0f, 0.85f, 0.3f), rgb(0.95f, 0.2f, 0.7f), smoothstep(0.2f, 1.0f, depth));
            const float vein = std::pow(std::fabs(std::cos(4.0f * angle)), 40.0f) * (1.0f - depth);
            petal = add(petal, scale(rgb(1.0f, 1.0f, 0.9f), vein * 0.8f));
            petal = scale(petal, 0.55f + 0.45f * (1.0f - depth * depth));
            Colour col = scale(petal, inside);
            // Soft halo around the outline and the core glow.
            const float halo = std::exp(-std::max(0.0f, r - outline) / 14.0f) * (1.0f - inside);
            col = add(col, scale(rgb(0.9f, 0.3f, 0.8f), halo * 0.6f));
            col = add(col, scale(rgb(1.0f, 1.0f, 0.95f), std::exp(-r / 28.0f) * 1.4f));
            // Four thin rays between the petals, on the diagonals.
            const float c45 = std::cos(kPi * 0.25f), s45 = std::sin(kPi * 0.25f);
            const float ru = std::fabs(dx * c45 + dy * s45), rv = std::fabs(-dx * s45 + dy * c45);
            const float ray = std::exp(-rv / 1.8f) * std::exp(-ru / 120.0f) + std::exp(-ru / 1.8f) * std::exp(-rv / 120.0f);
            col = add(col, scale(rgb(0.8f, 0.9f, 1.0f), ray * 1.2f));
            put_pixel(image, x, y, scale(col, edge_fade(r)));
        }
    }
    return image;
}

// A bright double ring with a dial of ticks, an interference pattern in the
// middle and a six-pointed star at the centre.
Image paint_emblem()
{
    Image image = make_image(kPictureSize, kPictureSize);
    const Colour cyan = rgb(0.3f, 0.9f, 1.0f);
    const Colour white = rgb(1.0f, 1.0f, 1.0f);
    for (int y = 0; y < kPictureSize; ++y) {
        for (int x = 0; x < kPictureSize; ++x) {
            const float dx = x + 0.5f - 256.0f, dy = y + 0.5f - 256.0f;
            const float r = std::hypot(dx, dy);
            const float angle = std::atan2(dy, dx);
            Colour col;
            // Outer ring: a hot white band with a cyan glow both sides.
            const float outer = std::fabs(r - 185.0f);
            col = add(col, scale(white, smoothstep(7.0f, 4.0f, outer)));
            col = add(col, scale(cyan, std::exp(-outer / 10.0f) * 0.9f));
            // Inner thin ring.
            const float inner = std::fabs(r - 128.0f);
            col = add(col, scale(cyan, smoothstep(2.5f, 0.5f, inner) + std::exp(-inner / 6.0f) * 0.4f));
            // Dial: 36 ticks between the rings, every third one longer.
            const float sector = angle / (2.0f * kPi) * 36.0f;
            const int tick = static_cast<int>(std::lround(sector));
            const float off = std::fabs(sector - tick) * (2.0f * kPi / 36.0f) * r;
            const float tick_end = (tick % 3 == 0) ? 145.0f : 158.0f;
            if (r > tick_end && r < 172.0f)
                col = add(col, scale(mix(cyan, white, 0.5f), smoothstep(2.2f, 0.8f, off)));
            // Interference of two ring waves inside the inner ring.
            if (r < 124.0f) {
                const float d1 = std::hypot(dx - 30.0f, dy), d2 = std::hypot(dx + 30.0f, dy);
                const float wave = std::cos(d1 * 0.35f) + std::cos(d2 * 0.35f);
                const float bright = std::pow(std::max(0.0f, wave * 0.5f), 3.0f);
                const float fade = smoothstep(124.0f, 90.0f, r);
                col = add(col, scale(rgb(0.2f, 0.5f, 1.0f), bright * fade * 1.3f));
            }
            // Six-pointed star: its radius swings between 22 and 70.
            const float star_outline = 22.0f + 48.0f * std::pow(std::fabs(std::cos(3.0f * angle)), 6.0f);
            col = add(col, scale(white, smoothstep(star_outline + 2.0f, star_outline - 2.0f, r)));
            col = add(col, scale(cyan, std::exp(-r / 40.0f) * 0.8f));
            put_pixel(image, x, y, scale(col, edge_fade(r)));
        }
    }
    return image;
}
