#include "flash_analysis/flash_report.h"

#include <algorithm>
#include <cstdio>

#include "app/sections.h"
#include "flash_analysis/flash_rules.h"

static const char* const kFormNames[kFlashFormCount] = {"WCAG", "broadcast"};
static const char* const kKindNames[kFlashKindCount] = {"general", "red"};

std::string flash_time_text(double seconds)
{
    const long hundredths = static_cast<long>(seconds * 100 + 0.5);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld.%02ld", hundredths / 6000, hundredths / 100 % 60, hundredths % 100);
    return text;
}

static double flashes_of(int changes) { return static_cast<double>(changes) / kChangesPerFlash; }

// "4.5 general in the second from 1:27.35 (position 1104)".
static std::string worst_text(const FlashAnalysis& analysis, const FlashWorst& worst)
{
    if (worst.last_frame < 0) return "no frames";
    const int64_t first = flash_window_first_frame(worst.last_frame, analysis.fps);
    char text[128];
    std::snprintf(text, sizeof text, "%.1f %s in the second from %s (position %d)", flashes_of(worst.changes),
                  kKindNames[worst.kind], flash_time_text(static_cast<double>(first) / analysis.fps).c_str(),
                  analysis.windows[static_cast<size_t>(first)].position);
    return text;
}

std::string flash_verdict_text(const FlashAnalysis& analysis, const FlashSummary& summary, int form)
{
    return std::string(kFormNames[form]) + (summary.passes[form] ? " passes: " : " fails: ") +
           worst_text(analysis, summary.worst[form]);
}

static std::string stretch_text(const FlashAnalysis& analysis, const FlashStretch& stretch)
{
    char text[128];
    std::snprintf(text, sizeof text, "%s to %s (positions %d-%d), %.1f s",
                  flash_time_text(static_cast<double>(stretch.first_frame) / analysis.fps).c_str(),
                  flash_time_text(static_cast<double>(stretch.last_frame + 1) / analysis.fps).c_str(),
                  analysis.windows[static_cast<size_t>(stretch.first_frame)].position,
                  analysis.windows[static_cast<size_t>(stretch.last_frame)].position, stretch.seconds);
    return text;
}

// Each whole second of the run in which a window ending fails a form: the
// most changes of the windows ending in it, in each form.
static std::string failing_seconds(const FlashAnalysis& analysis)
{
    std::string text;
    const std::vector<FlashWindow>& windows = analysis.windows;
    for (size_t start = 0; start < windows.size(); start += static_cast<size_t>(analysis.fps)) {
        const size_t end = std::min(windows.size(), start + static_cast<size_t>(analysis.fps));
        int most[kFlashFormCount] = {0, 0};
        for (size_t i = start; i < end; ++i)
            for (int form = 0; form < kFlashFormCount; ++form)
                most[form] = std::max(most[form], flash_window_changes(windows[i], form, nullptr));
        if (!flash_changes_fail(most[kWcagForm]) && !flash_changes_fail(most[kBroadcastForm])) continue;
        char line[160];
        std::snprintf(line, sizeof line, "  %-9s %-34s %4d-%-4d   %4.1f%s   %4.1f%s\n",
                      flash_time_text(static_cast<double>(start) / analysis.fps).c_str(),
                      kSections[section_of(windows[start].position)].name, windows[start].position,
                      windows[end - 1].position, flashes_of(most[kWcagForm]),
                      flash_changes_fail(most[kWcagForm]) ? " FAIL" : "     ", flashes_of(most[kBroadcastForm]),
                      flash_changes_fail(most[kBroadcastForm]) ? " FAIL" : "");
        text += line;
    }
    return text.empty() ? "  none\n" : text;
}

std::string flash_report_text(const FlashAnalysis& analysis, const FlashSummary& summary)
{
    const FlashGeometry& g = analysis.geometry;
    const std::vector<FlashWindow>& windows = analysis.windows;
    char text[512];
    std::string report;
    std::snprintf(text, sizeof text,
                  "Flashes: %lld frames of %dx%d at %d fps, positions %d-%d, %s long (times from its first frame)\n",
                  static_cast<long long>(windows.size()), g.width, g.height, analysis.fps,
                  windows.empty() ? -1 : windows.front().position, windows.empty() ? -1 : windows.back().position,
                  flash_time_text(static_cast<double>(windows.size()) / analysis.fps).c_str());
    report += text;
    std::snprintf(text, sizeof text,
                  "Limit: %d flashes, general or red, in any one second (WCAG 2.2 SC 2.3.1, ITU-R BT.1702)\n"
                  "  WCAG form:      flashes over 25%% of any 10-degree field (%.0fx%.0f pixels here)\n"
                  "  broadcast form: flashes over a quarter of the screen\n",
                  kMostFlashesPerSecond, g.field_width, g.field_height);
    report += text;
    report += "Verdict: WCAG " + std::string(summary.passes[kWcagForm] ? "passes" : "FAILS") + ", broadcast " +
              (summary.passes[kBroadcastForm] ? "passes" : "FAILS") + "\n";
    for (int form = 0; form < kFlashFormCount; ++form)
        report += "  " + flash_verdict_text(analysis, summary, form) + "\n";

    report += "\nWorst second of each section (flashes):\n";
    for (int section = 0; section < kSectionCount; ++section) {
        const FlashWorst* worst = summary.section_worst[section];
        if (worst[kWcagForm].last_frame < 0) continue;
        std::snprintf(text, sizeof text, "  %-34s WCAG %4.1f %s   broadcast %4.1f %s\n", kSections[section].name,
                      flashes_of(worst[kWcagForm].changes), flash_changes_fail(worst[kWcagForm].changes) ? "FAIL" : "pass",
                      flashes_of(worst[kBroadcastForm].changes),
                      flash_changes_fail(worst[kBroadcastForm].changes) ? "FAIL" : "pass");
        report += text;
        for (int form = 0; form < kFlashFormCount; ++form)
            report += std::string("      ") + (form == kWcagForm ? "WCAG      " : "broadcast ") +
                      worst_text(analysis, worst[form]) + "\n";
    }

    std::snprintf(text, sizeof text, "\nExtended flashing (%d flashes or more in each second for over %.0f s):\n",
                  kExtendedFlashesPerSecond, kExtendedSecondsOver);
    report += text;
    for (int form = 0; form < kFlashFormCount; ++form) {
        report += std::string("  ") + kFormNames[form] + ":";
        if (summary.extended[form].empty()) report += " none";
        for (size_t i = 0; i < summary.extended[form].size(); ++i)
            report += (i ? "; " : " ") + stretch_text(analysis, summary.extended[form][i]);
        report += "\n";
    }

    report += "\nFailing seconds (the most flashes of the windows ending in each):\n"
              "  second    section                            positions   WCAG        broadcast\n";
    report += failing_seconds(analysis);
    return report;
}
