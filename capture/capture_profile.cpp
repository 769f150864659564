#include "capture/capture_profile.h"

#include <algorithm>
#include <cmath>

void profile_init(Profile* profile)
{
    for (int i = 0; i < kProfileRanges; ++i) {
        profile->ranges[i].first = kSections[i].first;
        profile->ranges[i].last = kSections[i].last;
        profile->ranges[i].milliseconds.clear();
    }
}

int profile_range_of(int32_t position)
{
    return section_of(position);
}

void profile_add(Profile* profile, int32_t position, double milliseconds)
{
    profile->ranges[profile_range_of(position)].milliseconds.push_back(milliseconds);
}

double percentile(std::vector<double>* values, double q)
{
    if (values->empty()) return 0.0;
    std::sort(values->begin(), values->end());
    const double rank = std::ceil(q / 100.0 * static_cast<double>(values->size()));
    const size_t index = rank < 1 ? 0 : static_cast<size_t>(rank) - 1;
    return (*values)[std::min(index, values->size() - 1)];
}

int print_profile(Profile* profile, int width, int height, FILE* out)
{
    std::fprintf(out, "frame time at %dx%d (glFinish before each reading)\n", width, height);
    std::fprintf(out, "%-11s %7s %11s %11s\n", "positions", "frames", "median ms", "p99 ms");
    int over = 0;
    for (ProfileRange& range : profile->ranges) {
        char label[32];
        std::snprintf(label, sizeof label, "%d-%d", range.first, range.last);
        if (range.milliseconds.empty()) {
            std::fprintf(out, "%-11s %7d %11s %11s\n", label, 0, "-", "-");
            continue;
        }
        const double median = percentile(&range.milliseconds, 50);
        const double p99 = percentile(&range.milliseconds, 99);
        const bool slow = p99 > kFrameBudgetMs;
        if (slow) ++over;
        std::fprintf(out, "%-11s %7zu %11.2f %11.2f%s\n", label, range.milliseconds.size(), median, p99,
                     slow ? "  over 16.7" : "");
    }
    if (over == 0)
        std::fprintf(out, "every range measured is at or under %.1f ms p99\n", kFrameBudgetMs);
    else
        std::fprintf(out, "%d range(s) over %.1f ms p99\n", over, kFrameBudgetMs);
    return over;
}
