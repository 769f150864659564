// periodica-capture: the demo rendered offline into PNG frames and a WAV
// (or an MP4), or profiled, on a headless OpenGL context.
#include <GL/gl.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "app/shell.h"
#include "app/startup.h"
#include "capture/capture_context.h"
#include "capture/capture_ffmpeg.h"
#include "capture/capture_options.h"
#include "capture/capture_run.h"
#include "capture/flash_run.h"
#include "capture/publish_run.h"
#include "gfx/textures.h"
#include "offline/offline_clock.h"
#include "offline/offline_ticks.h"
#include "player/player.h"
#include "sound/sound_device.h"

static bool make_directories(const std::string& path)
{
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string prefix = path.substr(0, slash);
        if (!prefix.empty() && mkdir(prefix.c_str(), 0777) != 0) {
            struct stat info;
            if (stat(prefix.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return false;
        }
        if (slash == std::string::npos) return true;
    }
}

// The demo reads data/... under the working directory; another data
// directory is reached through a temporary directory holding a link named
// data to it, left again as soon as everything is loaded.
struct DataDirectory {
    std::string temporary;
    std::string previous;
};

static bool enter_data_directory(const std::string& data_dir, DataDirectory* entered)
{
    char resolved[PATH_MAX];
    char working[PATH_MAX];
    struct stat info;
    if (!realpath(data_dir.c_str(), resolved) || stat(resolved, &info) != 0 || !S_ISDIR(info.st_mode)) {
        std::fprintf(stderr, "periodica-capture: --data %s is not a directory\n", data_dir.c_str());
        return false;
    }
    char pattern[] = "/tmp/periodica-capture-XXXXXX";
    if (!getcwd(working, sizeof working) || !mkdtemp(pattern)) {
        std::fprintf(stderr, "periodica-capture: cannot make a temporary directory\n");
        return false;
    }
    entered->previous = working;
    entered->temporary = pattern;
    const std::string link = entered->temporary + "/data";
    if (symlink(resolved, link.c_str()) != 0 || chdir(entered->temporary.c_str()) != 0) {
        std::fprintf(stderr, "periodica-capture: cannot reach %s\n", resolved);
        return false;
    }
    return true;
}

static void leave_data_directory(DataDirectory* entered)
{
    if (entered->temporary.empty()) return;
    if (chdir(entered->previous.c_str()) != 0)
        std::fprintf(stderr, "periodica-capture: cannot return to %s\n", entered->previous.c_str());
    unlink((entered->temporary + "/data").c_str());
    rmdir(entered->temporary.c_str());
    entered->temporary.clear();
}

// The live start-up without SDL: textures, module file, the 16-bit 44.1 kHz
// device (before the module load, whose samples it registers), module load.
static bool start_demo(const CaptureOptions& options)
{
    DataDirectory entered;
    if (!options.data_dir.empty() && !enter_data_directory(options.data_dir, &entered)) {
        leave_data_directory(&entered);
        return false;
    }
    load_textures();
    const bool have_module = read_module_file(kModulePath);
    if (!have_module) {
        if (options.data_dir.empty())
            std::fprintf(stderr, "periodica-capture: cannot open the module %s (run from a directory holding "
                                 "data/, or give --data DIR)\n", kModulePath);
        else
            std::fprintf(stderr, "periodica-capture: cannot open the module %s/zentaro.mod\n",
                         options.data_dir.c_str());
    } else {
        install_offline_device(2, kTicksPerSecond, pt_tick);
        load_song_and_effects();
    }
    leave_data_directory(&entered);
    if (!have_module) return false;
    // Live, a refused module leaves the position at 0 for ever; a capture of
    // that would only end at its time limit.
    if (replay.song.channels == 0) {
        std::fprintf(stderr, "periodica-capture: the module was refused, so there is no show to capture\n");
        return false;
    }
    glClearColor(0, 0, 0, 0);
    glEnable(GL_TEXTURE_2D);
    return true;
}

// --es: the same command line, run by the build that draws through our
// fixed-function layer, which lies beside this program.
static int run_es_build(char** argv)
{
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    std::string sibling = "periodica-capture-es";
    if (length > 0) {
        const std::string path(self, static_cast<size_t>(length));
        sibling = path.substr(0, path.rfind('/') + 1) + sibling;
    }
    argv[0] = sibling.data();
    execv(sibling.c_str(), argv);
    std::fprintf(stderr, "periodica-capture: --es needs %s, which can't be run\n", sibling.c_str());
    return 1;
}

static void print_summary(const CaptureOptions& options, const CaptureSummary& summary, double wall_seconds)
{
    if (options.profile) {
        std::printf("periodica-capture: profiled %lld frames in %.1f s\n",
                    static_cast<long long>(summary.frames_drawn), wall_seconds);
    } else if (!options.frames_at.empty()) {
        std::printf("periodica-capture: wrote %lld of %zu single frames to %s (%lld frames drawn, %lld stepped "
                    "unseen) in %.1f s\n",
                    static_cast<long long>(summary.frames_written), options.frames_at.size(),
                    options.out_dir.c_str(), static_cast<long long>(summary.frames_drawn),
                    static_cast<long long>(summary.frames_stepped), wall_seconds);
    } else {
        std::printf("periodica-capture: wrote %lld frames (positions %d-%d, %.2f s at %d fps)%s and sound.wav "
                    "to %s in %.1f s\n",
                    static_cast<long long>(summary.frames_written), summary.first_position, summary.last_position,
                    static_cast<double>(summary.sound_samples) / kSampleRate, options.fps,
                    options.mp4 ? " as capture.mp4" : "", options.out_dir.c_str(), wall_seconds);
    }
}

int main(int argc, char** argv)
{
    CaptureOptions options;
    std::string error;
    if (!parse_capture_options(argc, argv, &options, &error)) {
        std::fprintf(stderr, "periodica-capture: %s (--help lists the options)\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(capture_usage(), stdout);
        return 0;
    }
    if (options.es && !kCaptureDrawsThroughLayer) return run_es_build(argv);
    if ((options.mp4 || options.publish) && !ffmpeg_available()) {
        std::fprintf(stderr, "periodica-capture: %s needs ffmpeg, which is not installed "
                             "(apt-get install ffmpeg); nothing was captured\n", options.mp4 ? "--mp4" : "--publish");
        return 1;
    }
    if (!options.out_dir.empty() && !make_directories(options.out_dir)) {
        std::fprintf(stderr, "periodica-capture: cannot create the directory %s\n", options.out_dir.c_str());
        return 1;
    }
    PublishLayout layout{};
    if (options.publish) layout = publish_prepare(&options);
    if (!make_capture_context(options.width, options.height, &error)) {
        if (options.publish)
            std::fprintf(stderr, "periodica-capture: the headless OpenGL context can't hold the %dx%d that --size "
                                 "%dx%d at --supersample %d needs (%s)\n", options.width, options.height,
                         options.publish_width, options.publish_height, options.supersample, error.c_str());
        else
            std::fprintf(stderr, "periodica-capture: %s\n", error.c_str());
        return 1;
    }
    install_offline_clock();
    if (!start_demo(options)) return 1;
    if (options.publish) return run_publish(options, layout);
    if (options.flashes) return run_flash_check(options);

    const auto started = std::chrono::steady_clock::now();
    CaptureSummary summary;
    const int status = run_capture(options, &summary);
    const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - started;
    print_summary(options, summary, spent.count());
    return status;
}
