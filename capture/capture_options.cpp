#include "capture/capture_options.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "flash_analysis/flash_frames.h"

static bool parse_int(const char* text, long low, long high, long* value)
{
    if (!text || !*text) return false;
    errno = 0;
    char* end = nullptr;
    const long parsed = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || parsed < low || parsed > high) return false;
    *value = parsed;
    return true;
}

bool parse_frame_targets(const char* text, std::vector<FrameTarget>* targets, std::string* error)
{
    const std::string list = text ? text : "";
    if (list.empty()) {
        *error = "--frames-at needs at least one position";
        return false;
    }
    size_t start = 0;
    for (;;) {
        const size_t comma = list.find(',', start);
        FrameTarget target{};
        if (!parse_frame_target(list.substr(start, comma - start), &target, error)) {
            *error = "--frames-at: " + *error;
            return false;
        }
        targets->push_back(target);
        if (comma == std::string::npos) return true;
        start = comma + 1;
    }
}

// Matches --name VALUE and --name=VALUE; advances *index past what it used.
static bool option_value(int argc, char** argv, int* index, const char* name, const char** value)
{
    const char* argument = argv[*index];
    const size_t length = std::strlen(name);
    if (std::strncmp(argument, name, length) != 0) return false;
    if (argument[length] == '=') {
        *value = argument + length + 1;
        return true;
    }
    if (argument[length] != '\0') return false;
    *value = *index + 1 < argc ? argv[++*index] : nullptr;
    return true;
}

static bool check_position(const char* name, const char* text, int32_t* position, std::string* error)
{
    long value = 0;
    if (!parse_int(text, -1000000, 1000000, &value)) {
        *error = std::string(name) + " needs a song position (order * 100 + row)";
        return false;
    }
    const std::string problem = position_problem(static_cast<int32_t>(value));
    if (!problem.empty()) {
        *error = std::string(name) + ": " + problem;
        return false;
    }
    *position = static_cast<int32_t>(value);
    return true;
}

static bool check_int(const char* name, const char* text, long low, long high, int* out, std::string* error)
{
    long value = 0;
    if (!parse_int(text, low, high, &value)) {
        *error = std::string(name) + " needs a whole number from " + std::to_string(low) + " to " +
                 std::to_string(high);
        return false;
    }
    *out = static_cast<int>(value);
    return true;
}

static bool check_directory(const char* name, const char* text, std::string* directory, std::string* error)
{
    if (!text || !*text) {
        *error = std::string(name) + " needs a directory";
        return false;
    }
    *directory = text;
    return true;
}

// "WxH", both even (yuv420p halves the colour resolution), 32..8192.
static bool check_size(const char* text, CaptureOptions* options, std::string* error)
{
    const char* cross = text ? std::strchr(text, 'x') : nullptr;
    long width = 0;
    long height = 0;
    if (!cross || !parse_int(std::string(text, cross).c_str(), 32, 8192, &width) ||
        !parse_int(cross + 1, 32, 8192, &height) || width % 2 != 0 || height % 2 != 0) {
        *error = "--size needs WIDTHxHEIGHT, both even and from 32 to 8192 (for example 1920x1080)";
        return false;
    }
    options->publish_width = static_cast<int>(width);
    options->publish_height = static_cast<int>(height);
    return true;
}

// Which options were given, beyond what their values show.
struct GivenOptions {
    bool bounded = false;     // --from or --to
    bool out = false;         // --out
    bool picture = false;     // --width or --height
    bool publishing = false;  // --size or --supersample
};

static bool check_flashes(const CaptureOptions& options, std::string* error)
{
    if (options.allow_flashes && !options.publish) {
        *error = "--allow-flashes goes with --publish DIR";
        return false;
    }
    if (!options.flashes) return true;
    if (options.publish || options.mp4 || options.profile || !options.frames_at.empty()) {
        *error = "--flashes can't be combined with --publish (which checks its own frames), --mp4, --profile, "
                 "--frames-at or --chapters";
        return false;
    }
    const std::string problem = flash_geometry_problem(flash_geometry_of_picture(options.width, options.height));
    if (!problem.empty()) *error = "--flashes: " + problem;
    return problem.empty();
}

static bool check_publish(const CaptureOptions& options, const GivenOptions& given, std::string* error)
{
    if (!options.publish) {
        if (given.publishing) *error = "--size and --supersample go with --publish DIR";
        return !given.publishing;
    }
    if (given.out || given.picture || options.mp4 || options.profile || !options.frames_at.empty()) {
        *error = "--publish DIR can't be combined with --out, --width, --height, --mp4, --profile, --frames-at or "
                 "--chapters (--size sets its picture)";
        return false;
    }
    return true;
}

static bool check_combination(const CaptureOptions& options, const GivenOptions& given, std::string* error)
{
    if (!check_publish(options, given, error) || !check_flashes(options, error)) return false;
    const bool bounded = given.bounded;
    if (!options.frames_at.empty() && (bounded || options.mp4 || options.profile)) {
        *error = "--frames-at and --chapters can't be combined with --from, --to, --mp4 or --profile";
        return false;
    }
    if (options.profile && options.mp4) {
        *error = "--profile writes no files, so it can't be combined with --mp4";
        return false;
    }
    if (options.out_dir.empty() && !options.profile) {
        *error = "--out DIR is required (except with --profile)";
        return false;
    }
    if (options.from > options.to) {
        *error = "--from " + std::to_string(options.from) + " is after --to " + std::to_string(options.to);
        return false;
    }
    return true;
}

bool parse_capture_options(int argc, char** argv, CaptureOptions* options, std::string* error)
{
    GivenOptions given;
    for (int i = 1; i < argc; ++i) {
        const char* value = nullptr;
        const char* argument = argv[i];
        if (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0) {
            options->help = true;
            return true;
        }
        if (std::strcmp(argument, "--mp4") == 0) {
            options->mp4 = true;
        } else if (std::strcmp(argument, "--es") == 0) {
            options->es = true;
        } else if (std::strcmp(argument, "--profile") == 0) {
            options->profile = true;
        } else if (std::strcmp(argument, "--chapters") == 0) {
            options->chapters = true;
        } else if (std::strcmp(argument, "--flashes") == 0) {
            options->flashes = true;
        } else if (std::strcmp(argument, "--allow-flashes") == 0) {
            options->allow_flashes = true;
        } else if (option_value(argc, argv, &i, "--out", &value)) {
            if (!check_directory("--out", value, &options->out_dir, error)) return false;
            given.out = true;
        } else if (option_value(argc, argv, &i, "--publish", &value)) {
            if (!check_directory("--publish", value, &options->out_dir, error)) return false;
            options->publish = true;
        } else if (option_value(argc, argv, &i, "--size", &value)) {
            if (!check_size(value, options, error)) return false;
            given.publishing = true;
        } else if (option_value(argc, argv, &i, "--supersample", &value)) {
            if (!check_int("--supersample", value, 1, 8, &options->supersample, error)) return false;
            given.publishing = true;
        } else if (option_value(argc, argv, &i, "--data", &value)) {
            if (!check_directory("--data", value, &options->data_dir, error)) return false;
        } else if (option_value(argc, argv, &i, "--fps", &value)) {
            if (!check_int("--fps", value, 1, 240, &options->fps, error)) return false;
        } else if (option_value(argc, argv, &i, "--width", &value)) {
            if (!check_int("--width", value, 16, 8192, &options->width, error)) return false;
            given.picture = true;
        } else if (option_value(argc, argv, &i, "--height", &value)) {
            if (!check_int("--height", value, 16, 8192, &options->height, error)) return false;
            given.picture = true;
        } else if (option_value(argc, argv, &i, "--from", &value)) {
            if (!check_position("--from", value, &options->from, error)) return false;
            given.bounded = true;
        } else if (option_value(argc, argv, &i, "--to", &value)) {
            if (!check_position("--to", value, &options->to, error)) return false;
            given.bounded = true;
        } else if (option_value(argc, argv, &i, "--frames-at", &value)) {
            if (!parse_frame_targets(value, &options->frames_at, error)) return false;
        } else {
            *error = std::string("unknown argument '") + argument + "'";
            return false;
        }
    }
    // The stills are single frames like any other, so --frames-at's rules
    // hold for them.
    if (options->chapters)
        for (const ShowSection& section : kSections) options->frames_at.push_back({section.first, section.still});
    return check_combination(*options, given, error);
}

std::string frame_target_name(const FrameTarget& target)
{
    char name[48];
    if (target.seconds > 0)
        std::snprintf(name, sizeof name, "at_%04d+%gs.png", target.position, target.seconds);
    else
        std::snprintf(name, sizeof name, "at_%04d.png", target.position);
    return name;
}

const char* capture_usage()
{
    return
        "usage: periodica-capture [--es] --out DIR [--fps 60] [--from POS] [--to POS]\n"
        "                         [--width 1024 --height 768] [--data DIR] [--mp4]\n"
        "       periodica-capture --out DIR [--frames-at POS[@SECONDS],...] [--chapters]\n"
        "                         [--width W --height H]\n"
        "       periodica-capture --profile [--from POS] [--to POS] [--width W --height H]\n"
        "       periodica-capture --out DIR --flashes [--from POS] [--to POS] [--width W --height H]\n"
        "       periodica-capture --publish DIR [--size 1920x1080] [--supersample 2] [--from POS]\n"
        "                         [--to POS] [--fps 60] [--data DIR] [--allow-flashes]\n"
        "\n"
        "Renders the demo offline on a headless OpenGL context, with simulated time:\n"
        "frame k stands at sound sample k * 44100 / fps, and sees the song position of\n"
        "the last player tick started at or before that sample. Two runs with the same\n"
        "arguments write byte-identical files.\n"
        "\n"
        "The frames before the first one written or timed are stepped unseen: only\n"
        "the effects that keep state run, nothing is drawn, and the sound is made\n"
        "all the same. A frame costs well under a millisecond that way, so any frame\n"
        "of the show is reached in about a second at any picture size, and it is the\n"
        "same frame, pixel for pixel, as in a capture that drew every frame.\n"
        "\n"
        "  --out DIR        writes DIR/frame_000000.png ... and DIR/sound.wav (mono,\n"
        "                   16-bit, 44100 Hz, exactly the span of the frames)\n"
        "  --fps N          frames per second of simulated time (default 60)\n"
        "  --from POS       first frame written: the first whose position is >= POS\n"
        "  --to POS         last frame written: the first whose position is > POS\n"
        "                   (default 1920, the end of the show). POS = order * 100 + row.\n"
        "                   Earlier frames are stepped unseen.\n"
        "  --width, --height  picture size (default 1024x768); the closing zoom-out is\n"
        "                   scaled to it, and outlines are 2 pixels wide per 768 lines\n"
        "  --data DIR       the directory holding the pictures and zentaro.mod\n"
        "                   (default: data/ under the working directory)\n"
        "  --es             draws through our fixed-function layer on an OpenGL ES 2.0\n"
        "                   context (the GL the browser build has) instead of OpenGL\n"
        "                   1.x, to compare its frames or profile it; goes with every\n"
        "                   other option (runs periodica-capture-es from this directory)\n"
        "  --frames-at LIST single frames: for each POS[@SECONDS] the frame SECONDS\n"
        "                   (default 0) after position POS started, written as\n"
        "                   DIR/at_POS.png or DIR/at_POS+SECONDSs.png. The show is stepped\n"
        "                   unseen from its start up to the last requested frame. A position\n"
        "                   before the first row (negative), after the end (above 1920)\n"
        "                   or with a row above 63 is refused before anything is drawn;\n"
        "                   one the song never plays is reported at the end. Either way\n"
        "                   the exit status is non-zero.\n"
        "  --chapters       also writes DIR/chapters.json, the web page's chapter list:\n"
        "                   for each section of the show, in order, its name, first\n"
        "                   position, the milliseconds from the show's first frame to\n"
        "                   the section's (as the published video's chapters) and its\n"
        "                   still: a single frame at the moment app/sections.h gives,\n"
        "                   named as --frames-at names it. Goes with --frames-at's rules.\n"
        "  --mp4            instead of PNG frames, pipes the frames into ffmpeg (H.264\n"
        "                   by x264 on 4 threads whatever the machine has, yuv420p) and\n"
        "                   muxes DIR/sound.wav into DIR/capture.mp4; needs Debian's\n"
        "                   ffmpeg\n"
        "  --profile        writes nothing; prints the median and 99th-percentile frame\n"
        "                   time for each range of the scene timeline (from --from on)\n"
        "  --flashes        writes no frames: counts the frames' flashes against the\n"
        "                   photosensitivity limit of 3 a second, in the WCAG form\n"
        "                   (over 25% of any 10-degree field, a third of the picture\n"
        "                   each way) and the broadcast form (over a quarter of the\n"
        "                   screen); prints the report and writes it to DIR/flashes.txt,\n"
        "                   with DIR/flashes.svg, flashes per second along the run.\n"
        "                   Exit status 3 when a form fails.\n"
        "  --publish DIR    writes DIR/periodica.mp4, ready to upload (needs Debian's\n"
        "                   ffmpeg):\n"
        "                   picture: the 4:3 picture as large as fits --size, centred\n"
        "                     between black bars (1440x1080 in 1920x1080; a 4:3 size\n"
        "                     has none), rendered at --supersample times its size and\n"
        "                     filtered down by averaging each block's light (area filter)\n"
        "                   video: H.264 High profile (libx264 -preset slow -crf 17),\n"
        "                     yuv420p, BT.709, --fps frames per second (default 60)\n"
        "                   sound: the mono mix on both channels, resampled to 48 kHz\n"
        "                     by ffmpeg's own resampler (swr), normalised by two-pass\n"
        "                     loudnorm to -14 LUFS integrated with true peak under\n"
        "                     -1 dBTP (a silent span as it is), AAC 320 kbit/s\n"
        "                   chapters: one per section of the show the span covers\n"
        "                   +faststart (the index leads, so playback starts at once)\n"
        "                   flashes: the frames encoded are checked as --flashes does,\n"
        "                     DIR/flashes.txt and DIR/flashes.svg written beside the\n"
        "                     video; one that fails the broadcast form is refused\n"
        "                   At the end it prints frames, wall time, size, the\n"
        "                   loudness measured on the file and both flash verdicts.\n"
        "  --allow-flashes  publishes a video that fails the broadcast flash limit\n"
        "  --size WxH       the published frame (default 1920x1080; even sizes only)\n"
        "  --supersample N  1 to 8 (default 2); the headless context must hold the\n"
        "                   picture at N times its size, or the run stops at once\n"
        "\n"
        "Exit status: 0 done; 1 a run-time failure (missing module, no OpenGL, a\n"
        "position never reached, ffmpeg missing or failing, a picture too large for\n"
        "the headless context, a video refused for its flashes); 2 a bad command line;\n"
        "3 --flashes: the frames fail a form of the flash limit.\n";
}
