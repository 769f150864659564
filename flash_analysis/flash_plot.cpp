#include "flash_analysis/flash_plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/sections.h"
#include "flash_analysis/flash_report.h"
#include "flash_analysis/flash_rules.h"
#include "flash_analysis/flash_summary.h"

constexpr int kPlotWidth = 1200, kPlotHeight = 380;
constexpr int kLeft = 48, kRight = 16, kTop = 44, kBottom = 36;
constexpr int kInnerWidth = kPlotWidth - kLeft - kRight, kInnerHeight = kPlotHeight - kTop - kBottom;

static std::string number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

// One line per form: each pixel column shows the most flashes of the windows
// ending within it, so no peak is lost to the picture's width.
static std::string form_line(const FlashAnalysis& analysis, int form, double top_flashes, const char* colour)
{
    const size_t frames = analysis.windows.size();
    std::string points;
    for (int column = 0; column < kInnerWidth; ++column) {
        const size_t first = frames * column / kInnerWidth;
        const size_t end = std::max(first + 1, frames * (column + 1) / kInnerWidth);
        if (first >= frames) break;
        int most = 0;
        for (size_t i = first; i < end && i < frames; ++i)
            most = std::max(most, flash_window_changes(analysis.windows[i], form, nullptr));
        const double y = kTop + kInnerHeight * (1 - most / static_cast<double>(kChangesPerFlash) / top_flashes);
        points += number(kLeft + column + 0.5) + "," + number(y) + " ";
    }
    return "<polyline fill=\"none\" stroke=\"" + std::string(colour) + "\" stroke-width=\"1.5\" points=\"" + points +
           "\"/>\n";
}

std::string flash_plot_svg(const FlashAnalysis& analysis)
{
    const std::vector<FlashWindow>& windows = analysis.windows;
    const double seconds = std::max(1.0, static_cast<double>(windows.size()) / analysis.fps);
    int most = 0;
    for (const FlashWindow& window : windows)
        for (int form = 0; form < kFlashFormCount; ++form) most = std::max(most, flash_window_changes(window, form, nullptr));
    const double top_flashes = std::max(6.0, std::ceil(static_cast<double>(most) / kChangesPerFlash) + 1);
    const auto x_of = [&](double t) { return kLeft + kInnerWidth * t / seconds; };
    const auto y_of = [&](double flashes) { return kTop + kInnerHeight * (1 - flashes / top_flashes); };

    char head[256];
    std::snprintf(head, sizeof head,
                  "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" viewBox=\"0 0 %d %d\" "
                  "font-family=\"sans-serif\" font-size=\"11\">\n<rect width=\"100%%\" height=\"100%%\" fill=\"#fff\"/>\n",
                  kPlotWidth, kPlotHeight, kPlotWidth, kPlotHeight);
    std::string svg = head;
    svg += "<text x=\"" + number(kLeft) + "\" y=\"16\" font-size=\"13\">Flashes per second (the second ending at each "
           "moment): <tspan fill=\"#d95f02\">WCAG, over 25% of a 10-degree field</tspan>, <tspan fill=\"#1b9e77\">"
           "broadcast, over a quarter of the screen</tspan></text>\n";
    // Flashes up the side, a line at each.
    for (int f = 0; f <= static_cast<int>(top_flashes); ++f) {
        svg += "<line x1=\"" + number(kLeft) + "\" x2=\"" + number(kLeft + kInnerWidth) + "\" y1=\"" + number(y_of(f)) +
               "\" y2=\"" + number(y_of(f)) + "\" stroke=\"#eee\"/>\n";
        svg += "<text x=\"" + number(kLeft - 6) + "\" y=\"" + number(y_of(f) + 4) + "\" text-anchor=\"end\">" +
               std::to_string(f) + "</text>\n";
    }
    // Time along the bottom, every 10 s.
    for (int t = 0; t <= static_cast<int>(seconds); t += 10)
        svg += "<text x=\"" + number(x_of(t)) + "\" y=\"" + number(kTop + kInnerHeight + 16) +
               "\" text-anchor=\"middle\">" + flash_time_text(t).substr(0, flash_time_text(t).size() - 3) + "</text>\n";
    // Each section's first frame in the run.
    int last_section = -1;
    for (size_t i = 0; i < windows.size(); ++i) {
        const int section = section_of(windows[i].position);
        if (section == last_section) continue;
        last_section = section;
        const double x = x_of(static_cast<double>(i) / analysis.fps);
        svg += "<line x1=\"" + number(x) + "\" x2=\"" + number(x) + "\" y1=\"" + number(kTop) + "\" y2=\"" +
               number(kTop + kInnerHeight) + "\" stroke=\"#999\" stroke-dasharray=\"2,3\"/>\n";
        svg += "<text transform=\"translate(" + number(x + 3) + "," + number(kTop + 4) +
               ") rotate(90)\" fill=\"#555\" font-size=\"10\">" + kSections[section].name + "</text>\n";
    }
    svg += form_line(analysis, kWcagForm, top_flashes, "#d95f02");
    svg += form_line(analysis, kBroadcastForm, top_flashes, "#1b9e77");
    const double limit_y = y_of(kMostFlashesPerSecond);
    svg += "<line x1=\"" + number(kLeft) + "\" x2=\"" + number(kLeft + kInnerWidth) + "\" y1=\"" + number(limit_y) +
           "\" y2=\"" + number(limit_y) + "\" stroke=\"#c00\" stroke-width=\"1.5\" stroke-dasharray=\"6,4\"/>\n";
    svg += "<text x=\"" + number(kLeft + kInnerWidth - 4) + "\" y=\"" + number(limit_y - 4) +
           "\" text-anchor=\"end\" fill=\"#c00\">limit: 3 a second</text>\n";
    svg += "<text x=\"" + number(kLeft + kInnerWidth) + "\" y=\"" + number(kPlotHeight - 4) +
           "\" text-anchor=\"end\" fill=\"#555\">time from the first frame (m:ss)</text>\n";
    svg += "<rect x=\"" + number(kLeft) + "\" y=\"" + number(kTop) + "\" width=\"" + number(kInnerWidth) +
           "\" height=\"" + number(kInnerHeight) + "\" fill=\"none\" stroke=\"#333\"/>\n</svg>\n";
    return svg;
}
