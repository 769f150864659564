#include "capture/publish_media.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "app/sections.h"

std::vector<Chapter> publish_chapters(const std::vector<int32_t>& positions, int fps)
{
    std::vector<Chapter> chapters;
    for (size_t frame = 0; frame < positions.size(); ++frame) {
        const int section = section_of(positions[frame]);
        if (!chapters.empty() && section <= chapters.back().section) continue;
        const int64_t start = static_cast<int64_t>(frame) * 1000 / fps;
        if (!chapters.empty()) chapters.back().end_ms = start;
        chapters.push_back({start, 0, section});
    }
    if (!chapters.empty()) chapters.back().end_ms = static_cast<int64_t>(positions.size()) * 1000 / fps;
    return chapters;
}

// FFMETADATA1 gives '=', ';', '#', '\' and newlines a meaning; a backslash
// makes them plain.
static std::string escaped(const char* text)
{
    std::string result;
    for (; *text; ++text) {
        if (*text == '=' || *text == ';' || *text == '#' || *text == '\\' || *text == '\n') result += '\\';
        result += *text;
    }
    return result;
}

std::string chapter_metadata(const std::vector<Chapter>& chapters)
{
    std::string text = ";FFMETADATA1\n";
    for (const Chapter& chapter : chapters) {
        text += "[CHAPTER]\nTIMEBASE=1/1000\nSTART=" + std::to_string(chapter.start_ms) +
                "\nEND=" + std::to_string(chapter.end_ms) + "\ntitle=" + escaped(kSections[chapter.section].name) +
                "\n";
    }
    return text;
}

// The number after "key" : "..." in loudnorm's JSON (values are quoted).
static bool json_number(const std::string& log, size_t from, const char* key, double* value)
{
    const size_t at = log.find(std::string("\"") + key + "\"", from);
    if (at == std::string::npos) return false;
    const size_t quote = log.find('"', log.find(':', at) + 1);
    if (quote == std::string::npos) return false;
    char* end = nullptr;
    *value = std::strtod(log.c_str() + quote + 1, &end);
    return end != log.c_str() + quote + 1 && *end == '"' && std::isfinite(*value);
}

bool parse_loudnorm(const std::string& log, LoudnessMeasure* measure)
{
    const size_t json = log.rfind("\"input_i\"");
    if (json == std::string::npos) return false;
    const size_t from = log.rfind('{', json);
    if (from == std::string::npos) return false;
    return json_number(log, from, "input_i", &measure->integrated_lufs) &&
           json_number(log, from, "input_tp", &measure->true_peak_dbtp) &&
           json_number(log, from, "input_lra", &measure->range_lu) &&
           json_number(log, from, "input_thresh", &measure->threshold_lufs) &&
           json_number(log, from, "target_offset", &measure->offset_lu);
}

std::string loudnorm_mode(const std::string& log)
{
    const size_t at = log.rfind("\"normalization_type\"");
    if (at == std::string::npos) return "";
    const size_t open = log.find('"', log.find(':', at) + 1);
    const size_t close = open == std::string::npos ? open : log.find('"', open + 1);
    return close == std::string::npos ? "" : log.substr(open + 1, close - open - 1);
}

// The number after label in the text from `from` on ("I:   -14.0 LUFS").
static bool labelled_number(const std::string& log, size_t from, const char* label, double* value)
{
    const size_t at = log.find(label, from);
    if (at == std::string::npos) return false;
    char* end = nullptr;
    const char* start = log.c_str() + at + std::string(label).size();
    *value = std::strtod(start, &end);
    return end != start && std::isfinite(*value);
}

bool parse_ebur128(const std::string& log, double* integrated_lufs, double* true_peak_dbtp)
{
    const size_t summary = log.rfind("Summary:");
    if (summary == std::string::npos) return false;
    const size_t peak = log.find("True peak:", summary);
    return labelled_number(log, summary, "I:", integrated_lufs) && peak != std::string::npos &&
           labelled_number(log, peak, "Peak:", true_peak_dbtp);
}

// Not soxr: as Debian builds it, it differs by a few LSB from run to run,
// and the same command must give the same file. With exact_rational, swr has
// a filter phase for every output sample between these rates (44.1 to 48 or
// 192 kHz, 192 to 48 kHz); 64 taps keep it transparent.
static const char kSwr[] = "resampler=swr:filter_size=64:phase_shift=10:exact_rational=1";
static const char kMonoOnBoth[] = ",pan=stereo|c0=c0|c1=c0";

std::string stereo_filter()
{
    return std::string("aresample=48000:") + kSwr + kMonoOnBoth;
}

std::string loudness_filter(const LoudnessMeasure* measure, double seconds, double peak_dbtp)
{
    const std::string swr = kSwr;
    const std::string stereo = std::string(kMonoOnBoth) + ",";
    char text[320];
    // The range target is the widest loudnorm takes, so the show's own
    // dynamics never force its dynamic mode.
    std::snprintf(text, sizeof text, "loudnorm=I=%.1f:TP=%.1f:LRA=50:print_format=json", kTargetLufs,
                  kAimedPeakDbtp);
    if (!measure) return stereo_filter() + "," + text;
    if (seconds < kLoudnormShortestSeconds) {
        // Peaks between samples show at 4x oversampling, as a true-peak meter sees them.
        std::snprintf(text, sizeof text,
                      "volume=%.2fdB,alimiter=limit=%.4f:attack=1:release=50:level=false:latency=true",
                      kTargetLufs - measure->integrated_lufs, std::pow(10.0, peak_dbtp / 20));
        return "aresample=192000:" + swr + stereo + text + ",aresample=48000:" + swr;
    }
    std::snprintf(text, sizeof text,
                  "loudnorm=I=%.1f:TP=%.2f:LRA=50:measured_I=%.2f:measured_TP=%.2f:measured_LRA=%.2f"
                  ":measured_thresh=%.2f:offset=%.2f:linear=true:print_format=json",
                  kTargetLufs, peak_dbtp, measure->integrated_lufs, measure->true_peak_dbtp, measure->range_lu,
                  measure->threshold_lufs, measure->offset_lu);
    return stereo_filter() + "," + text + ",aresample=48000:" + swr;
}
