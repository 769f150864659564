// The published file's chapters and loudness: pure text and arithmetic, no
// processes (publish_encode runs ffmpeg with what these give).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// One chapter per section of the show the video covers; times in
// milliseconds from the video's first frame, end exclusive.
struct Chapter {
    int64_t start_ms, end_ms;
    int section;  // index into kSections
};

// positions: the song position of each frame of the video, in order; fps > 0.
// A chapter starts at the first frame of each section met (a position that
// steps back into an earlier section doesn't start one); the last chapter
// ends with the last frame. Empty for no frames.
std::vector<Chapter> publish_chapters(const std::vector<int32_t>& positions, int fps);
// ffmpeg's FFMETADATA1 text for the chapters, titled by section names.
std::string chapter_metadata(const std::vector<Chapter>& chapters);

// The loudness targets and the margin for the encoder: AAC's lossy coding
// can raise true peaks a little above what went in, so the limit aimed at
// is below the promised -1 dBTP.
constexpr double kTargetLufs = -14.0;
constexpr double kPromisedPeakDbtp = -1.0;
constexpr double kAimedPeakDbtp = -1.5;

// What loudnorm's first pass measured (its "input_*" values and the offset).
struct LoudnessMeasure {
    double integrated_lufs, true_peak_dbtp, range_lu, threshold_lufs, offset_lu;
};
// Parses the JSON that loudnorm (print_format=json) writes to ffmpeg's
// standard error, among other lines. False when a value is missing or not a
// finite number (silence measures -inf).
bool parse_loudnorm(const std::string& log, LoudnessMeasure* measure);
// "linear" or "dynamic" from the same JSON; empty if absent.
std::string loudnorm_mode(const std::string& log);

// The integrated loudness (LUFS) and true peak (dBTP) of the last summary
// ebur128 (peak=true) wrote to the log. False when they aren't there.
bool parse_ebur128(const std::string& log, double* integrated_lufs, double* true_peak_dbtp);

// loudnorm works on 3 s windows and mis-scales sound shorter than one (it
// came out 20 dB too quiet in a trial), so shorter sound is normalised
// without it.
constexpr double kLoudnormShortestSeconds = 3.1;

// The 44.1 kHz mono mix as 48 kHz stereo and nothing more: ffmpeg's own
// resampler (swr) with fixed settings, the mono mix on both channels.
std::string stereo_filter();

// Audio filter chains from the 44.1 kHz mono mix to 48 kHz stereo: the
// stereo_filter, then
// - measure null: loudnorm measuring (the first pass);
// - sound of kLoudnormShortestSeconds or more: loudnorm with what the first
//   pass measured, linear=true (it keeps to a plain gain unless that would
//   push the true peak over peak_dbtp; then it limits with its dynamic mode);
// - shorter sound: the same plain gain, then a limiter on 4x oversampled
//   sound holding the true peak to peak_dbtp.
std::string loudness_filter(const LoudnessMeasure* measure, double seconds, double peak_dbtp = kAimedPeakDbtp);
