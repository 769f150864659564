#include "flash_analysis/flash_frames.h"

#include <algorithm>
#include <cmath>

#include "flash_analysis/flash_light.h"
#include "flash_analysis/flash_rules.h"

FlashGeometry flash_geometry_of_picture(int width, int height)
{
    return {width, height, width * kFieldShareOfWidth, height * kFieldShareOfHeight};
}

static int places_across(double pixels, double field_pixels)
{
    return static_cast<int>(std::lround(kPlacesAcrossField * pixels / field_pixels));
}

std::string flash_geometry_problem(const FlashGeometry& geometry)
{
    if (geometry.width <= 0 || geometry.height <= 0 || !(geometry.field_width > 0) || !(geometry.field_height > 0))
        return "the flash analysis needs a picture and a field of some size";
    const int columns = places_across(geometry.width, geometry.field_width);
    const int rows = places_across(geometry.height, geometry.field_height);
    if (columns < kPlacesAcrossField || rows < kPlacesAcrossField)
        return "the flash analysis needs the 10° field to fit in the picture";
    if (columns > geometry.width || rows > geometry.height)
        return "the flash analysis needs a pixel for each of its " + std::to_string(columns) + "x" +
               std::to_string(rows) + " places, more than the " + std::to_string(geometry.width) + "x" +
               std::to_string(geometry.height) + " picture has";
    return "";
}

static int window_frames(int fps) { return std::max(1, static_cast<int>(std::lround(fps * kWindowSeconds))); }

void flash_start(FlashAnalysis* analysis, const FlashGeometry& geometry, int fps)
{
    FlashAnalysis& a = *analysis;
    a = FlashAnalysis{};
    a.geometry = geometry;
    a.fps = fps;
    a.columns = places_across(geometry.width, geometry.field_width);
    a.rows = places_across(geometry.height, geometry.field_height);
    a.field_columns = std::min(kPlacesAcrossField, a.columns);
    a.field_rows = std::min(kPlacesAcrossField, a.rows);
    const size_t places = static_cast<size_t>(a.columns) * a.rows;
    a.column_of.resize(geometry.width);
    a.row_of.resize(geometry.height);
    for (int x = 0; x < geometry.width; ++x) a.column_of[x] = static_cast<int32_t>(int64_t{x} * a.columns / geometry.width);
    for (int y = 0; y < geometry.height; ++y) a.row_of[y] = static_cast<int32_t>(int64_t{y} * a.rows / geometry.height);
    a.place_area.assign(places, 0);
    for (int y = 0; y < geometry.height; ++y)
        for (int x = 0; x < geometry.width; ++x) a.place_area[static_cast<size_t>(a.row_of[y]) * a.columns + a.column_of[x]] += 1;
    a.sums.assign(places * 3, 0);
    for (int kind = 0; kind < kFlashKindCount; ++kind) {
        a.swings[kind].assign(places, Swing{});
        a.changed[kind].assign(places * window_frames(fps), 0);
        a.window_changes[kind].assign(places, 0);
    }
    a.integral.assign(static_cast<size_t>(a.columns + 1) * (a.rows + 1), 0);
    a.area_integral = a.integral;
    for (int y = 0; y < a.rows; ++y) {
        double line = 0;
        for (int x = 0; x < a.columns; ++x) {
            line += a.place_area[static_cast<size_t>(y) * a.columns + x];
            a.area_integral[static_cast<size_t>(y + 1) * (a.columns + 1) + x + 1] =
                a.area_integral[static_cast<size_t>(y) * (a.columns + 1) + x + 1] + line;
        }
    }
}

// Linear R, G, B of the frame summed over each place.
static void sum_places(FlashAnalysis* a, const uint8_t* pixels, int channels)
{
    const float* linear = linear_srgb_table();
    std::fill(a->sums.begin(), a->sums.end(), 0.0);
    const int width = a->geometry.width;
    for (int y = 0; y < a->geometry.height; ++y) {
        const uint8_t* pixel = pixels + static_cast<size_t>(y) * width * channels;
        double* row = a->sums.data() + static_cast<size_t>(a->row_of[y]) * a->columns * 3;
        for (int x = 0; x < width; ++x, pixel += channels) {
            double* sum = row + static_cast<size_t>(a->column_of[x]) * 3;
            sum[0] += linear[pixel[0]];
            sum[1] += linear[pixel[1]];
            sum[2] += linear[pixel[2]];
        }
    }
}

// Follows each place's light and red, and keeps the count of changes each
// place went through within the window ending at this frame.
static void follow_places(FlashAnalysis* a, int64_t frame)
{
    const size_t places = a->place_area.size();
    const size_t slot = static_cast<size_t>(frame % window_frames(a->fps)) * places;
    for (size_t p = 0; p < places; ++p) {
        const double r = a->sums[3 * p] / a->place_area[p];
        const double g = a->sums[3 * p + 1] / a->place_area[p];
        const double b = a->sums[3 * p + 2] / a->place_area[p];
        const double light = relative_luminance(r, g, b);
        const bool changes[kFlashKindCount] = {
            swing_step(&a->swings[kGeneralFlash][p], static_cast<float>(light), light < kDarkerImageBelow,
                       static_cast<float>(kGeneralChangeAtLeast), false),
            swing_step(&a->swings[kRedFlash][p], static_cast<float>(red_value(r, g, b)), saturated_red(r, g, b),
                       static_cast<float>(kRedChangeMoreThan), true),
        };
        for (int kind = 0; kind < kFlashKindCount; ++kind) {
            uint8_t& was = a->changed[kind][slot + p];
            a->window_changes[kind][p] = static_cast<int16_t>(a->window_changes[kind][p] - was + changes[kind]);
            was = changes[kind];
        }
    }
}

// The most changes that places covering more than share of some span of
// span_columns x span_rows places all went through within the window.
static int most_changes_over(FlashAnalysis* a, int kind, int span_columns, int span_rows, double share)
{
    const std::vector<int16_t>& counts = a->window_changes[kind];
    const int most = *std::max_element(counts.begin(), counts.end());
    const int stride = a->columns + 1;
    for (int changes = most; changes > 0; --changes) {
        // integral[(y) * stride + x]: the area of places with this many changes above and left of x, y.
        // Each span is compared with its own pixels, as places differ by a pixel.
        for (int y = 0; y < a->rows; ++y) {
            double line = 0;
            for (int x = 0; x < a->columns; ++x) {
                const size_t p = static_cast<size_t>(y) * a->columns + x;
                if (counts[p] >= changes) line += a->place_area[p];
                a->integral[static_cast<size_t>(y + 1) * stride + x + 1] = a->integral[static_cast<size_t>(y) * stride + x + 1] + line;
            }
        }
        for (int y = 0; y + span_rows <= a->rows; ++y)
            for (int x = 0; x + span_columns <= a->columns; ++x) {
                const auto at = [&](int cx, int cy) { return a->integral[static_cast<size_t>(cy) * stride + cx]; };
                const double flashing = at(x + span_columns, y + span_rows) - at(x, y + span_rows) -
                                        at(x + span_columns, y) + at(x, y);
                const auto area_at = [&](int cx, int cy) { return a->area_integral[static_cast<size_t>(cy) * stride + cx]; };
                const double span_area = area_at(x + span_columns, y + span_rows) - area_at(x, y + span_rows) -
                                         area_at(x + span_columns, y) + area_at(x, y);
                if (flashing > share * span_area) return changes;
            }
    }
    return 0;
}

void flash_take_frame(FlashAnalysis* analysis, const uint8_t* pixels, int channels, int32_t position)
{
    FlashAnalysis* a = analysis;
    sum_places(a, pixels, channels);
    follow_places(a, static_cast<int64_t>(a->windows.size()));
    FlashWindow window{};
    window.position = position;
    for (int kind = 0; kind < kFlashKindCount; ++kind) {
        window.changes[kind][kWcagForm] =
            static_cast<int16_t>(most_changes_over(a, kind, a->field_columns, a->field_rows, kFieldAreaShare));
        window.changes[kind][kBroadcastForm] =
            static_cast<int16_t>(most_changes_over(a, kind, a->columns, a->rows, kScreenAreaShare));
    }
    a->windows.push_back(window);
}
