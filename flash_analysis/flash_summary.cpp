#include "flash_analysis/flash_summary.h"

#include <algorithm>
#include <cmath>

#include "flash_analysis/flash_rules.h"

int flash_window_frames(int fps) { return std::max(1, static_cast<int>(std::lround(fps * kWindowSeconds))); }

bool flash_changes_fail(int changes) { return changes > kMostFlashesPerSecond * kChangesPerFlash; }

int flash_window_changes(const FlashWindow& window, int form, int* kind)
{
    const int general = window.changes[kGeneralFlash][form];
    const int red = window.changes[kRedFlash][form];
    if (kind) *kind = red > general ? kRedFlash : kGeneralFlash;
    return std::max(general, red);
}

int64_t flash_window_first_frame(int64_t last_frame, int fps)
{
    return std::max<int64_t>(0, last_frame - flash_window_frames(fps) + 1);
}

static void keep_worse(FlashWorst* worst, int changes, int kind, int64_t frame)
{
    if (worst->last_frame >= 0 && changes <= worst->changes) return;
    *worst = {changes, kind, frame};
}

// Runs of windows that each hold the extended rule's flashes, whose last
// frames span over its seconds: steady flashing shows as a run about 0.3 s
// shorter than it went on (the first window needs its flashes, the last
// keeps them until they leave it).
static std::vector<FlashStretch> extended_stretches(const std::vector<FlashWindow>& windows, int fps, int form)
{
    std::vector<FlashStretch> stretches;
    const int least = kExtendedFlashesPerSecond * kChangesPerFlash;
    for (size_t i = 0; i < windows.size();) {
        if (flash_window_changes(windows[i], form, nullptr) < least) {
            ++i;
            continue;
        }
        size_t end = i;
        while (end + 1 < windows.size() && flash_window_changes(windows[end + 1], form, nullptr) >= least) ++end;
        const int64_t first = static_cast<int64_t>(i), last = static_cast<int64_t>(end);
        const double seconds = static_cast<double>(last + 1 - first) / fps;
        if (seconds > kExtendedSecondsOver) stretches.push_back({first, last, seconds});
        i = end + 1;
    }
    return stretches;
}

FlashSummary summarise_flashes(const std::vector<FlashWindow>& windows, int fps)
{
    FlashSummary summary;
    summary.fps = fps;
    summary.frames = static_cast<int64_t>(windows.size());
    for (size_t i = 0; i < windows.size(); ++i) {
        const int section = section_of(windows[i].position);
        for (int form = 0; form < kFlashFormCount; ++form) {
            int kind = kGeneralFlash;
            const int changes = flash_window_changes(windows[i], form, &kind);
            keep_worse(&summary.worst[form], changes, kind, static_cast<int64_t>(i));
            keep_worse(&summary.section_worst[section][form], changes, kind, static_cast<int64_t>(i));
        }
    }
    for (int form = 0; form < kFlashFormCount; ++form) {
        summary.passes[form] = !flash_changes_fail(summary.worst[form].changes);
        summary.extended[form] = extended_stretches(windows, fps, form);
    }
    return summary;
}
