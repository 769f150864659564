// The three full-screen pictures: plasma, sunset landscape, metaballs.
// The picture flashes draw them at 1.33x, so about an eighth of the height is
// cut off at top and bottom: the subject stays in the middle three quarters.
#include <algorithm>
#include <cmath>

#include "tools/pictures/pictures_image.h"

// Night-to-fire ramp for the plasma, t in 0..1.
static Colour plasma_ramp(float t)
{
    static const Colour stops[] = {{0.02f, 0.02f, 0.12f}, {0.30f, 0.06f, 0.55f}, {0.95f, 0.22f, 0.55f},
                                   {1.0f, 0.62f, 0.2f},   {1.0f, 0.95f, 0.75f}};
    constexpr int kLast = static_cast<int>(sizeof stops / sizeof stops[0]) - 1;
    const float at = clamp01(t) * kLast;
    const int i = std::min(kLast - 1, static_cast<int>(at));
    return mix(stops[i], stops[i + 1], at - i);
}

// Classic sum-of-sines plasma, its coordinates bent by noise so the bands
// flow instead of repeating, coloured through a ramp from night blue to pale fire.
Image paint_plasma()
{
    Image image = make_image(kPictureSize, kPictureSize);
    for (int y = 0; y < kPictureSize; ++y) {
        for (int x = 0; x < kPictureSize; ++x) {
            const float u = x / 512.0f, v = y / 512.0f;
            const float wx = u + 0.12f * (fbm(u * 3.0f, v * 3.0f, 4, 11) - 0.5f);
            const float wy = v + 0.12f * (fbm(u * 3.0f + 7.0f, v * 3.0f, 4, 12) - 0.5f);
            float s = std::sin(wx * 13.0f);
            s += std::sin((wy * 11.0f + wx * 5.0f));
            s += std::sin(std::hypot(wx - 0.7f, wy - 0.35f) * 26.0f);
            s += std::sin(std::hypot(wx - 0.2f, wy - 0.8f) * 21.0f);
            // Ping-pong through the ramp so the bands join without a seam.
            const float phase = s * 0.3f + 10.0f;
            const float t = 1.0f - std::fabs(2.0f * (phase - std::floor(phase)) - 1.0f);
            const Colour col = plasma_ramp(smoothstep(0.0f, 1.0f, t));
            const float vignette = 1.0f - 0.45f * ((u - 0.5f) * (u - 0.5f) + (v - 0.5f) * (v - 0.5f)) * 2.0f;
            put_pixel(image, x, y, scale(col, vignette));
        }
    }
    return image;
}

// Height of a mountain ridge at column x: 0 at the horizon, larger is higher.
static float ridge_height(float x, float amplitude, float frequency, uint32_t seed)
{
    const float n = fbm(x * frequency, seed * 3.7f, 5, seed);
    return amplitude * (n * n * 1.6f + 0.05f);
}

// Sunset over a grid plain: sky gradient with stars, a striped sun, two
// ridges of mountains and a receding neon grid on the ground.
Image paint_landscape()
{
    Image image = make_image(kPictureSize, kPictureSize);
    const float horizon = 300.0f;
    const float sun_x = 256.0f, sun_y = 235.0f, sun_radius = 105.0f;

    Rng stars = rng_seeded(0x7A4D20);
    std::vector<float> star_field(static_cast<size_t>(kPictureSize) * kPictureSize, 0.0f);
    for (int i = 0; i < 260; ++i) {
        const int x = static_cast<int>(rng_unit(stars) * kPictureSize);
        const int y = static_cast<int>(rng_unit(stars) * horizon * 0.8f);
        star_field[static_cast<size_t>(y) * kPictureSize + x] = rng_unit(stars);
    }

    for (int y = 0; y < kPictureSize; ++y) {
        for (int x = 0; x < kPictureSize; ++x) {
            const float fx = static_cast<float>(x), fy = static_cast<float>(y);
            Colour col;
            if (fy < horizon) {
                // Sky: deep violet at the top to hot orange at the horizon.
                const float t = fy / horizon;
                col = mix(rgb(0.05f, 0.02f, 0.15f), rgb(0.45f, 0.08f, 0.45f), smoothstep(0.0f, 0.75f, t));
                col = mix(col, rgb(1.0f, 0.45f, 0.25f), smoothstep(0.6f, 1.0f, t));
                const float star = star_field[static_cast<size_t>(y) * kPictureSize + x];
                col = add(col, scale(rgb(1.0f, 0.95f, 1.0f), star * (1.0f - t)));

                // The sun, with gaps that widen toward its lower edge.
                const float ds = std::hypot(fx - sun_x, fy - sun_y);
                const float sv = (fy - (sun_y - sun_radius)) / (2.0f * sun_radius);
                const float gap_phase = std::fmod(fy - sun_y + 200.0f, 18.0f);
                const float gap_width = sv > 0.3f ? (sv - 0.3f) * 30.0f : 0.0f;
                const float in_gap = gap_phase < gap_width ? 1.0f : 0.0f;
                const float disc = smoothstep(sun_radius + 1.0f, sun_radius - 1.0f, ds) * (1.0f - in_gap);
                const Colour sun_col = mix(rgb(1.0f, 0.95f, 0.35f), rgb(1.0f, 0.2f, 0.55f), clamp01(sv));
                col = mix(col, sun_col, disc);
                const float halo = std::exp(-std::max(0.0f, ds - sun_radius) / 40.0f) * 0.35f;
                col = add(col, scale(rgb(1.0f, 0.4f, 0.5f), halo * (1.0f - disc)));

                // Far ridge in haze, near ridge almost black with a lit rim.
                const float far_top = horizon - ridge_height(fx / 512.0f, 80.0f, 3.0f, 21);
                const float near_top = horizon - ridge_height(fx / 512.0f + 3.1f, 38.0f, 5.0f, 22);
                if (fy > far_top) {
                    const float depth = (fy - far_top) / std::max(1.0f, horizon - far_top);
                    const Colour far_col = mix(rgb(0.35f, 0.1f, 0.4f), rgb(0.6f, 0.2f, 0.45f), depth);
                    col = mix(col, far_col, smoothstep(far_top, far_top + 1.5f, fy));
                }
                if (fy > near_top) {
                    const Colour near_col = rgb(0.07f, 0.02f, 0.12f);
                    col = mix(col, near_col, smoothstep(near_top, near_top + 1.5f, fy));
                    const float rim = std::exp(-(fy - near_top) / 2.5f);
                    col = add(col, scale(rgb(1.0f, 0.35f, 0.6f), rim * 0.7f));
                }
            } else {
                // Ground plane: distance ahead goes as 1 / (rows below the
                // horizon); line widths are judged in screen pixels.
                const float below = fy - horizon + 0.5f;
                const float depth = 60.0f / below;
                const float across = (fx - 256.0f) / below * 1.2f;
                const float across_step = 1.2f / below;
                const float depth_step = 60.0f / (below * below);
                const float gu = std::fabs(across * 2.0f - std::round(across * 2.0f)) / (across_step * 2.0f);
                const float gv = std::fabs(depth - std::round(depth)) / depth_step;
                // Lines closer than a few pixels apart fade out instead of
                // merging into a solid band near the horizon.
                const float across_fade = smoothstep(0.12f, 0.04f, across_step * 2.0f);
                const float depth_fade = smoothstep(0.35f, 0.12f, depth_step);
                const float line = std::max(std::exp(-gu * gu * 0.5f) * across_fade, std::exp(-gv * gv * 0.5f) * depth_fade);
                const float fade = std::exp(-depth * 0.05f);
                col = mix(rgb(0.03f, 0.0f, 0.08f), rgb(0.25f, 0.02f, 0.25f), std::exp(-below / 40.0f));
                col = add(col, scale(rgb(1.0f, 0.2f, 0.85f), line * (0.35f + 0.65f * fade)));
                // Reflection of the sun's glow on the plain near the horizon.
                const float glow = std::exp(-below / 25.0f) * std::exp(-std::fabs(fx - sun_x) / 90.0f);
                col = add(col, scale(rgb(1.0f, 0.45f, 0.35f), glow * 0.6f));
            }
            put_pixel(image, x, y, col);
        }
    }
    return image;
}

struct Ball {
    float x, y, radius;
    Colour colour;
};

// A small ball inside a big blob would poke a pin-hole into the surface (the
// field peaks sharply at each centre), so the small ones stand at the rim.
static const Ball kBalls[] = {
    {170, 200, 52, {1.0f, 0.35f, 0.2f}},  {250, 170, 40, {1.0f, 0.75f, 0.15f}},
    {205, 275, 44, {0.9f, 0.2f, 0.5f}},   {350, 300, 60, {0.3f, 0.45f, 1.0f}},
    {420, 230, 34, {0.2f, 0.85f, 0.8f}},  {330, 390, 30, {0.6f, 0.3f, 1.0f}},
    {90, 330, 30, {1.0f, 0.5f, 0.7f}},    {390, 130, 24, {1.0f, 0.95f, 0.6f}},
    {120, 390, 20, {0.4f, 1.0f, 0.5f}},
};

// Field strength: 1 on a lone ball's surface, larger inside.
static float ball_field(float x, float y)
{
    float f = 0.0f;
    for (const Ball& ball : kBalls) {
        const float dx = x - ball.x, dy = y - ball.y;
        f += ball.radius * ball.radius / (dx * dx + dy * dy + 1.0f);
    }
    return f;
}

// Surface height over the plane: 0 at the iso line f = 1, rising inside.
static float ball_height(float x, float y)
{
    const float f = ball_field(x, y);
    return f > 1.0f ? 60.0f * std::sqrt(1.0f - 1.0f / f) : 0.0f;
}

// Shaded metaballs: a height field over the 2D field, lit by one key light
// with a specular highlight and a coloured rim, over a dark backdrop with a
// soft glow and shadow.
Image paint_metaballs()
{
    Image image = make_image(kPictureSize, kPictureSize);
    const float lx = -0.45f, ly = -0.55f, lz = 0.70f;
    for (int y = 0; y < kPictureSize; ++y) {
        for (int x = 0; x < kPictureSize; ++x) {
            const float fx = static_cast<float>(x), fy = static_cast<float>(y);
            const float f = ball_field(fx, fy);
            // Backdrop: dark blue radial gradient, a faint dot grid, the
            // blobs' shadow offset away from the light and their glow.
            const float r = std::hypot(fx - 256.0f, fy - 256.0f) / 362.0f;
            Colour col = mix(rgb(0.10f, 0.09f, 0.22f), rgb(0.01f, 0.01f, 0.04f), r);
            const float gx = std::fmod(fx, 32.0f) - 16.0f, gy = std::fmod(fy, 32.0f) - 16.0f;
            col = add(col, scale(rgb(0.2f, 0.25f, 0.5f), std::exp(-(gx * gx + gy * gy) / 3.0f) * 0.5f));
            const float shadow = smoothstep(0.3f, 1.1f, ball_field(fx + 24.0f, fy + 30.0f));
            col = scale(col, 1.0f - 0.75f * shadow);
            col = add(col, scale(rgb(0.5f, 0.3f, 0.8f), smoothstep(0.35f, 1.0f, f) * 0.25f));

            if (f > 1.0f) {
                const float h = ball_height(fx, fy);
                const float nx = -(ball_height(fx + 1.0f, fy) - ball_height(fx - 1.0f, fy)) * 0.5f;
                const float ny = -(ball_height(fx, fy + 1.0f) - ball_height(fx, fy - 1.0f)) * 0.5f;
                const float inv = 1.0f / std::sqrt(nx * nx + ny * ny + 1.0f);
                const float n0 = nx * inv, n1 = ny * inv, n2 = inv;
                // Surface colour: the balls' colours weighted by their pull.
                Colour base;
                float weight = 0.0f;
                for (const Ball& ball : kBalls) {
                    const float dx = fx - ball.x, dy = fy - ball.y;
                    const float w = std::pow(ball.radius * ball.radius / (dx * dx + dy * dy + 1.0f), 2.0f);
                    base = add(base, scale(ball.colour, w));
                    weight += w;
                }
                base = scale(base, 1.0f / weight);
                const float diffuse = std::max(0.0f, n0 * lx + n1 * ly + n2 * lz);
                // Blinn half vector between the light and the viewer (0, 0, 1).
                float hx = lx, hy = ly, hz = lz + 1.0f;
                const float hl = std::sqrt(hx * hx + hy * hy + hz * hz);
                hx /= hl, hy /= hl, hz /= hl;
                const float spec = std::pow(std::max(0.0f, n0 * hx + n1 * hy + n2 * hz), 80.0f);
                const float rim = std::pow(1.0f - n2, 2.0f);
                Colour lit = scale(base, 0.18f + 0.9f * diffuse);
                lit = add(lit, scale(rgb(1.0f, 1.0f, 1.0f), spec * 0.9f));
                lit = add(lit, scale(rgb(0.35f, 0.55f, 1.0f), rim * 0.5f));
                // Anti-aliased outline: blend over the first pixel of height.
                col = mix(col, lit, smoothstep(0.0f, 4.0f, h));
            }
            put_pixel(image, x, y, col);
        }
    }
    return image;
}
