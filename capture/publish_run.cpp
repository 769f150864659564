#include "capture/publish_run.h"

#include <GL/gl.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "capture/capture_ffmpeg.h"
#include "capture/capture_run.h"
#include "capture/flash_files.h"
#include "capture/publish_encode.h"
#include "capture/publish_media.h"
#include "flash_analysis/flash_frames.h"
#include "flash_analysis/flash_report.h"
#include "flash_analysis/flash_summary.h"

PublishLayout publish_prepare(CaptureOptions* options)
{
    const PublishLayout layout = publish_layout(options->publish_width, options->publish_height, options->supersample);
    options->width = layout.render_width;
    options->height = layout.render_height;
    return layout;
}

// What the frame sink needs: the encoder, a frame to compose into, each
// frame's position for the chapters, and the flash analysis of the frames
// as they are encoded.
struct PublishFrames {
    PublishLayout layout;
    FfmpegPipe video;
    std::vector<uint8_t> frame;
    std::vector<int32_t> positions;
    FlashAnalysis flashes;
};

// The published frame, bars and all, is the screen; the 10° field is a
// third of the picture each way, as at any capture size.
static FlashGeometry flash_geometry_of_video(const PublishLayout& layout)
{
    FlashGeometry geometry = flash_geometry_of_picture(layout.picture_width, layout.picture_height);
    geometry.width = layout.width;
    geometry.height = layout.height;
    return geometry;
}

static bool take_frame(void* context, const uint8_t* rgba, int32_t position, std::string* reason)
{
    PublishFrames* frames = static_cast<PublishFrames*>(context);
    publish_compose(frames->layout, rgba, frames->frame.data());
    if (!ffmpeg_write_frame(&frames->video, frames->frame.data(), frames->frame.size())) {
        *reason = "ffmpeg stopped taking frames";
        return false;
    }
    flash_take_frame(&frames->flashes, frames->frame.data(), 3, position);
    frames->positions.push_back(position);
    return true;
}

// glViewport silently clamps to the largest viewport, so a picture larger
// than that would be drawn cropped; the pbuffer itself was made already.
static bool render_size_fits(const CaptureOptions& options, const PublishLayout& layout)
{
    GLint largest[2] = {0, 0};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, largest);
    if (layout.render_width <= largest[0] && layout.render_height <= largest[1]) return true;
    std::fprintf(stderr, "periodica-capture: the headless OpenGL context draws at most %dx%d, too small for the "
                         "%dx%d that --size %dx%d at --supersample %d needs; nothing was captured\n",
                 largest[0], largest[1], layout.render_width, layout.render_height, options.publish_width,
                 options.publish_height, options.supersample);
    return false;
}

static void step(const char* what)
{
    static const bool terminal = isatty(STDERR_FILENO) != 0;
    if (terminal) std::fprintf(stderr, "periodica-capture: %s\n", what);
}

// The last line ffmpeg wrote, for a one-line failure message.
static std::string last_line(const std::string& log)
{
    const size_t end = log.find_last_not_of("\r\n");
    if (end == std::string::npos) return "no message";
    const size_t before = log.find_last_of("\r\n", end);
    const size_t start = before == std::string::npos ? 0 : before + 1;
    return log.substr(start, end + 1 - start);
}

// The work directory inside DIR is kept after a failure, so nothing is lost.
// Returns the exit status 1.
static int fail(const std::string& work, const std::string& message)
{
    std::fprintf(stderr, "periodica-capture: %s (what was made is kept in %s)\n", message.c_str(), work.c_str());
    return 1;
}

struct Measured {
    double integrated_lufs = 0, true_peak_dbtp = 0;
    std::string mode;  // loudnorm's "linear" or "dynamic", "not normalised", or "silent"
    int encodes = 0;
    double aimed_peak_dbtp = kAimedPeakDbtp;  // of the last encode
};

// AAC's coding can raise the true peak past the margin the aim leaves (from
// -1.5 to -0.5 dBTP in a trial); then the sound is encoded again with the
// aim lowered by the excess and kPeakMarginDb. Lowering the limit rather
// than the whole gain keeps the loudness on target.
constexpr int kMostEncodes = 4;
constexpr double kPeakMarginDb = 0.2;

// ebur128's summary rounds to 0.1 dB, so a printed -1.0 may be -0.96: the
// most the peak it prints can be.
static double peak_at_most(double printed_dbtp) { return printed_dbtp + 0.05; }

// Muxes the sound as it is: silence has no loudness to bring to the target
// and no peak to keep down (ffmpeg's meters read -inf, which is no number).
static int encode_silence(const std::string& work, Measured* measured)
{
    step("encoding the sound and muxing");
    measured->mode = "silent";
    measured->encodes = 1;
    std::string log;
    if (!publish_mux(work + "/video.mp4", work + "/sound.wav", stereo_filter(), work + "/chapters.txt",
                     work + "/periodica.mp4", work + "/mux.log", &log))
        return fail(work, "ffmpeg could not make the file: " + last_line(log));
    return 0;
}

// Measures the mix, muxes the normalised sound with the video and chapters
// into work/periodica.mp4 and measures the result, until its true peak keeps
// the promise. Returns the exit status.
static int encode_file(const std::string& work, double seconds, Measured* measured)
{
    step("measuring the loudness of the sound");
    std::string log;
    if (!publish_run_ffmpeg({"-i", work + "/sound.wav", "-af", loudness_filter(nullptr, seconds), "-f", "null", "-"},
                            work + "/measure.log", &log))
        return fail(work, "ffmpeg could not measure the sound: " + last_line(log));
    LoudnessMeasure measure{};
    const bool audible = parse_loudnorm(log, &measure);
    // Sound too quiet to measure is muxed as it is rather than refused.
    if (!audible) std::fprintf(stderr, "periodica-capture: the sound has no measurable loudness; not normalised\n");

    while (true) {
        std::string filter = loudness_filter(audible ? &measure : nullptr, seconds, measured->aimed_peak_dbtp);
        if (!audible) filter = stereo_filter();
        step(measured->encodes == 0 ? "encoding the sound and muxing" : "encoding the sound again, limited lower");
        ++measured->encodes;
        if (!publish_mux(work + "/video.mp4", work + "/sound.wav", filter, work + "/chapters.txt",
                         work + "/periodica.mp4", work + "/mux.log", &log))
            return fail(work, "ffmpeg could not make the file: " + last_line(log));
        if (!audible)
            measured->mode = "not normalised";
        else if (seconds < kLoudnormShortestSeconds)
            measured->mode = "gain and true-peak limiter: under 3 s for loudnorm";
        else
            measured->mode = "loudnorm " + loudnorm_mode(log);

        step("measuring the file's loudness");
        if (!publish_run_ffmpeg({"-i", work + "/periodica.mp4", "-map", "0:a", "-af",
                                 "ebur128=peak=true:framelog=verbose", "-f", "null", "-"},
                                work + "/check.log", &log) ||
            !parse_ebur128(log, &measured->integrated_lufs, &measured->true_peak_dbtp))
            return fail(work, "ffmpeg could not measure the file's loudness: " + last_line(log));
        if (peak_at_most(measured->true_peak_dbtp) <= kPromisedPeakDbtp) return 0;
        if (measured->encodes == kMostEncodes) {
            char message[160];
            std::snprintf(message, sizeof message, "after %d encodes the file's true peak is still up to %.2f dBTP, "
                                                   "over the %.1f dBTP promised; it was not published",
                          kMostEncodes, peak_at_most(measured->true_peak_dbtp), kPromisedPeakDbtp);
            return fail(work, message);
        }
        measured->aimed_peak_dbtp -= peak_at_most(measured->true_peak_dbtp) - kPromisedPeakDbtp + kPeakMarginDb;
    }
}

static void remove_work(const std::string& work)
{
    for (const char* name : {"sound.wav", "video.mp4", "chapters.txt", "video.log", "measure.log", "mux.log",
                             "check.log", "periodica.mp4"})
        std::remove((work + "/" + name).c_str());
    rmdir(work.c_str());
}

// Writes the flash report and picture beside the video; a video failing
// the broadcast form is refused unless --allow-flashes. Returns the exit
// status.
static int check_flashes(const CaptureOptions& options, const std::string& work, const PublishFrames& frames,
                         const FlashSummary& summary)
{
    std::string error;
    if (!write_flash_files(options.out_dir, frames.flashes, summary, &error)) return fail(work, error);
    if (summary.passes[kBroadcastForm] || options.allow_flashes) return 0;
    return fail(work, "the video flashes more than 3 times a second over a quarter of the screen (" +
                          flash_verdict_text(frames.flashes, summary, kBroadcastForm) + "; see " + options.out_dir +
                          "/flashes.txt); it was not published (--allow-flashes publishes it anyway)");
}

static void print_summary(const CaptureOptions& options, const PublishLayout& layout, const CaptureSummary& summary,
                          size_t chapters, const Measured& measured, const std::string& path, double seconds,
                          const PublishFrames& frames, const FlashSummary& flashes)
{
    struct stat info{};
    stat(path.c_str(), &info);
    std::printf("periodica-capture: published %s\n", path.c_str());
    std::printf("  frames     %lld (positions %d-%d, %.2f s at %d fps)\n",
                static_cast<long long>(summary.frames_written), summary.first_position, summary.last_position,
                static_cast<double>(summary.frames_written) / options.fps, options.fps);
    std::printf("  picture    %dx%d in %dx%d, rendered at %dx%d (supersample %d)\n", layout.picture_width,
                layout.picture_height, layout.width, layout.height, layout.render_width, layout.render_height,
                layout.factor);
    std::printf("  chapters   %zu\n", chapters);
    if (measured.mode == "silent")
        std::printf("  loudness   silent: the sound is published as it is, not normalised\n");
    else
        std::printf("  loudness   %.1f LUFS integrated, true peak %.1f dBTP (%s)\n", measured.integrated_lufs,
                    measured.true_peak_dbtp, measured.mode.c_str());
    if (measured.encodes > 1)
        std::printf("  encodes    %d: the first one's true peak was over %.1f dBTP; the last aimed at %.2f dBTP\n",
                    measured.encodes, kPromisedPeakDbtp, measured.aimed_peak_dbtp);
    std::printf("  flashes    %s; %s\n", flash_verdict_text(frames.flashes, flashes, kWcagForm).c_str(),
                flash_verdict_text(frames.flashes, flashes, kBroadcastForm).c_str());
    std::printf("  size       %.1f MB\n", static_cast<double>(info.st_size) / 1e6);
    std::printf("  wall time  %.1f s\n", seconds);
}

int run_publish(const CaptureOptions& options, const PublishLayout& layout)
{
    if (!render_size_fits(options, layout)) return 1;
    const FlashGeometry flash_geometry = flash_geometry_of_video(layout);
    const std::string flash_problem = flash_geometry_problem(flash_geometry);
    if (!flash_problem.empty()) {
        std::fprintf(stderr, "periodica-capture: --size %dx%d is too small to check its flashes: %s\n",
                     options.publish_width, options.publish_height, flash_problem.c_str());
        return 1;
    }
    const auto started = std::chrono::steady_clock::now();
    std::string work = options.out_dir + "/.periodica-publish-XXXXXX";
    if (!mkdtemp(work.data())) {
        std::fprintf(stderr, "periodica-capture: cannot make a work directory in %s\n", options.out_dir.c_str());
        return 1;
    }
    PublishFrames frames;
    frames.layout = layout;
    flash_start(&frames.flashes, flash_geometry, options.fps);
    frames.frame.resize(static_cast<size_t>(layout.width) * layout.height * 3);
    std::string error;
    if (!publish_start_video(&frames.video, work + "/video.mp4", layout.width, layout.height, options.fps,
                             work + "/video.log", &error))
        return fail(work, error);

    CaptureOptions render = options;
    render.out_dir = work;
    CaptureSummary summary;
    const FrameSink sink{take_frame, &frames};
    const int drawn = run_capture(render, &summary, &sink);
    const bool encoded = ffmpeg_finish(&frames.video);
    if (drawn != 0) return fail(work, "the show was not published");
    if (!encoded) {
        std::ifstream file(work + "/video.log", std::ios::binary);
        return fail(work, "ffmpeg failed to encode the frames: " +
                              last_line(std::string(std::istreambuf_iterator<char>(file), {})));
    }

    const FlashSummary flashes = summarise_flashes(frames.flashes.windows, options.fps);
    if (check_flashes(options, work, frames, flashes) != 0) return 1;

    const std::vector<Chapter> chapters = publish_chapters(frames.positions, options.fps);
    std::ofstream(work + "/chapters.txt", std::ios::binary) << chapter_metadata(chapters);
    Measured measured;
    const int encoded_status = summary.sound_heard
                                   ? encode_file(work, static_cast<double>(summary.sound_samples) / 44100.0, &measured)
                                   : encode_silence(work, &measured);
    if (encoded_status != 0) return 1;
    const std::string path = options.out_dir + "/periodica.mp4";
    if (std::rename((work + "/periodica.mp4").c_str(), path.c_str()) != 0)
        return fail(work, "cannot move the file to " + path);
    remove_work(work);
    const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - started;
    print_summary(options, layout, summary, chapters.size(), measured, path, spent.count(), frames, flashes);
    return 0;
}
