#include "capture/capture_run.h"

#include <GL/gl.h>

#include <chrono>
#include <cstdio>
#include <vector>

#include "app/sections.h"
#include "capture/capture_context.h"
#include "capture/capture_ffmpeg.h"
#include "capture/capture_png.h"
#include "capture/capture_profile.h"
#include "capture/capture_progress.h"
#include "capture/page_chapters.h"
#include "capture/publish_media.h"
#include "headless/wav_file.h"
#include "offline/offline_audio.h"
#include "offline/offline_frame.h"
#include "offline/offline_step.h"
#include "offline/offline_ticks.h"
#include "sound/sound_device.h"

// Everything the loop writes, and why it stopped early (empty if it didn't).
struct CaptureOutputs {
    std::vector<uint8_t> pixels;
    WavWriter wav;
    FfmpegPipe ffmpeg;
    std::string video_path;
    std::vector<bool> target_done;
    size_t targets_left = 0;
    std::string stop_reason;
    Profile profile;
    std::vector<int32_t> positions;  // --chapters: each frame's, from the show's first
};

static void read_frame(const CaptureOptions& options, CaptureOutputs* out)
{
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, options.width, options.height, GL_RGBA, GL_UNSIGNED_BYTE, out->pixels.data());
}

static std::string frame_path(const CaptureOptions& options, int64_t index)
{
    char name[32];
    std::snprintf(name, sizeof name, "/frame_%06lld.png", static_cast<long long>(index));
    return options.out_dir + name;
}

static std::string target_path(const CaptureOptions& options, const FrameTarget& target)
{
    return options.out_dir + "/" + frame_target_name(target);
}

// One frame of the span: the picture, then the sound it covers.
static bool write_span_frame(const CaptureOptions& options, int64_t frame, int32_t position, const FrameSink* sink,
                             CaptureSummary* summary, CaptureOutputs* out)
{
    read_frame(options, out);
    std::string error;
    if (sink) {
        if (!sink->take(sink->context, out->pixels.data(), position, &out->stop_reason)) return false;
    } else if (options.mp4) {
        if (!ffmpeg_write_frame(&out->ffmpeg, out->pixels.data(), out->pixels.size())) {
            out->stop_reason = "ffmpeg stopped taking frames";
            return false;
        }
    } else if (!write_png_frame(frame_path(options, summary->frames_written).c_str(), out->pixels.data(),
                                options.width, options.height, &error)) {
        out->stop_reason = error;
        return false;
    }
    ++summary->frames_written;
    const int64_t begin = sample_of_frame(frame, options.fps);
    const int64_t end = sample_of_frame(frame + 1, options.fps);
    audio_run_through_sample(end);
    const int16_t* sound = audio_span(begin, end);
    for (int64_t i = 0; i < end - begin && !summary->sound_heard; ++i) summary->sound_heard = sound[i] != 0;
    wav_append(&out->wav, sound, static_cast<size_t>(end - begin));
    audio_forget_before(end);
    return true;
}

// Writes every requested single frame that is due at this frame's sample.
// A section's still (the last kSectionCount targets with --chapters) must
// show that section: one timed past its end would show the next.
static bool write_due_targets(const CaptureOptions& options, int64_t sample, int32_t position,
                              CaptureSummary* summary, CaptureOutputs* out)
{
    bool read = false;
    const size_t first_still = options.chapters ? options.frames_at.size() - kSectionCount : options.frames_at.size();
    for (size_t i = 0; i < options.frames_at.size(); ++i) {
        const FrameTarget& target = options.frames_at[i];
        if (out->target_done[i] || !frame_due(target.position, target.seconds, sample)) continue;
        if (i >= first_still && section_of(position) != static_cast<int>(i - first_still)) {
            char text[160];
            std::snprintf(text, sizeof text, "the still of \"%s\", %g s in, is at position %d, in another section",
                          kSections[i - first_still].name, target.seconds, position);
            out->stop_reason = text;
            return false;
        }
        if (!read) read_frame(options, out);
        read = true;
        std::string error;
        if (!write_png_frame(target_path(options, target).c_str(), out->pixels.data(), options.width,
                             options.height, &error)) {
            out->stop_reason = error;
            return false;
        }
        out->target_done[i] = true;
        --out->targets_left;
        ++summary->frames_written;
    }
    return true;
}

static bool open_outputs(const CaptureOptions& options, CaptureOutputs* out)
{
    out->pixels.resize(static_cast<size_t>(options.width) * options.height * 4);
    out->target_done.assign(options.frames_at.size(), false);
    out->targets_left = options.frames_at.size();
    profile_init(&out->profile);
    if (options.profile || !options.frames_at.empty()) return true;
    const std::string wav_path = options.out_dir + "/sound.wav";
    if (!wav_open(&out->wav, wav_path.c_str(), static_cast<int32_t>(kSampleRate), 16)) {
        std::fprintf(stderr, "periodica-capture: cannot create %s\n", wav_path.c_str());
        return false;
    }
    if (options.mp4) {
        out->video_path = options.out_dir + "/capture.video.mp4";
        std::string error;
        if (!ffmpeg_start_video(&out->ffmpeg, out->video_path, options.width, options.height, options.fps,
                                &error)) {
            std::fprintf(stderr, "periodica-capture: %s\n", error.c_str());
            return false;
        }
    }
    return true;
}

static int close_outputs(const CaptureOptions& options, CaptureSummary* summary, CaptureOutputs* out)
{
    int status = 0;
    if (out->wav.file) {
        summary->sound_samples = out->wav.samples;
        if (!wav_close(&out->wav)) {
            std::fprintf(stderr, "periodica-capture: writing %s/sound.wav failed\n", options.out_dir.c_str());
            status = 1;
        }
    }
    if (options.mp4) {
        const bool encoded = ffmpeg_finish(&out->ffmpeg);
        std::string error;
        if (!encoded) {
            std::fprintf(stderr, "periodica-capture: ffmpeg failed to encode the frames\n");
            status = 1;
        } else if (status == 0 && !ffmpeg_mux(out->video_path, options.out_dir + "/sound.wav",
                                              options.out_dir + "/capture.mp4", &error)) {
            std::fprintf(stderr, "periodica-capture: %s\n", error.c_str());
            status = 1;
        }
        std::remove(out->video_path.c_str());
    }
    for (size_t i = 0; i < options.frames_at.size(); ++i) {
        if (out->target_done[i]) continue;
        char when[48] = "";
        if (options.frames_at[i].seconds > 0) std::snprintf(when, sizeof when, "@%g", options.frames_at[i].seconds);
        std::fprintf(stderr, "periodica-capture: frame at position %d%s was never reached%s%s\n",
                     options.frames_at[i].position, when, out->stop_reason.empty() ? "" : ": ",
                     out->stop_reason.c_str());
        status = 1;
    }
    if (options.chapters && status == 0) {
        const std::string list = page_chapters_json(publish_chapters(out->positions, options.fps));
        const std::string path = options.out_dir + "/chapters.json";
        FILE* file = list.empty() ? nullptr : std::fopen(path.c_str(), "w");
        bool written = file && std::fputs(list.c_str(), file) >= 0;
        if (file) written = std::fclose(file) == 0 && written;
        if (!written) {
            std::fprintf(stderr, "periodica-capture: %s\n",
                         list.empty() ? "the run met fewer sections than the show has; no chapters.json"
                                      : ("writing " + path + " failed").c_str());
            status = 1;
        }
    }
    if (options.profile) summary->over_budget_ranges = print_profile(&out->profile, options.width, options.height, stdout);
    return status;
}

// Whether the capture looks at the frame at sample, at position: a frame of
// the span (or the profile) from --from on, or a single frame not yet
// written that is due. The rest of the show is stepped unseen.
static bool capture_wants(const CaptureOptions& options, const CaptureOutputs& out, int64_t sample,
                          int32_t position)
{
    if (options.frames_at.empty()) return position >= options.from;
    for (size_t i = 0; i < options.frames_at.size(); ++i) {
        const FrameTarget& target = options.frames_at[i];
        if (!out.target_done[i] && frame_due(target.position, target.seconds, sample)) return true;
    }
    return false;
}

static double progress_of(const CaptureOptions& options, int32_t position)
{
    if (!options.frames_at.empty()) {
        int32_t last = 1;
        for (const FrameTarget& target : options.frames_at) last = target.position > last ? target.position : last;
        return static_cast<double>(position) / last;
    }
    return static_cast<double>(position - options.from) / (options.to + 1 - options.from);
}

int run_capture(const CaptureOptions& options, CaptureSummary* summary, const FrameSink* sink)
{
    CaptureOutputs out;
    if (!open_outputs(options, &out)) return 1;
    OfflineShow show;
    offline_show_start(&show, options.fps, audio_callback);
    UnseenDrawing drawing{hide_capture_drawing};
    const bool writing_span = !options.profile && options.frames_at.empty();
    int64_t span_first = -1;
    for (;;) {
        int32_t position = 0;
        if (!offline_show_next(&show, &position, &out.stop_reason)) break;
        const int64_t frame = show.frame;
        const int64_t sample = offline_show_sample(show);
        const bool seen = capture_wants(options, out, sample, position);
        const bool timed = options.profile && seen;
        if (timed) glFinish();
        const auto started = std::chrono::steady_clock::now();
        // Reading the picture back hands on what the layer batched: no flush.
        offline_show_run(show, position, seen, options.width, options.height, nullptr, &drawing);
        ++(seen ? summary->frames_drawn : summary->frames_stepped);
        if (timed) {
            glFinish();
            const std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - started;
            profile_add(&out.profile, position, spent.count());
        }
        if (writing_span && span_first < 0 && position >= options.from) {
            span_first = frame;
            summary->first_position = position;
        }
        if (span_first >= 0) {
            if (!write_span_frame(options, frame, position, sink, summary, &out)) break;
            summary->last_position = position;
        }
        if (options.chapters) out.positions.push_back(position);
        if (!options.frames_at.empty()) {
            if (!write_due_targets(options, sample, position, summary, &out)) break;
            // The chapters' times need the last section's start too.
            if (out.targets_left == 0 && (!options.chapters || section_of(position) == kSectionCount - 1)) break;
        }
        progress_show(progress_of(options, position), position, frame - show.first_frame);
        // As live: the frame that first passes the end is still drawn and kept.
        if (static_cast<uint32_t>(position) > static_cast<uint32_t>(options.to)) {
            if (out.stop_reason.empty() && !options.frames_at.empty())
                out.stop_reason = "the show ended after position " + std::to_string(options.to);
            break;
        }
    }
    progress_clear();
    offline_show_unhide(&drawing);
    const bool stopped_early = !out.stop_reason.empty() && options.frames_at.empty();
    if (stopped_early) std::fprintf(stderr, "periodica-capture: %s; stopped\n", out.stop_reason.c_str());
    const int status = close_outputs(options, summary, &out);
    return stopped_early ? 1 : status;
}
