#include "capture/publish_encode.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sys/wait.h>
#include <unistd.h>

// Runs ffmpeg with arguments, standard error into log_path and, when
// stdin_fd is given, standard input from a new pipe whose write end it gets.
static pid_t spawn_ffmpeg(const std::vector<std::string>& arguments, const std::string& log_path, int* stdin_fd)
{
    const int log = open(log_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (log < 0) return -1;
    int fds[2] = {-1, -1};
    if (stdin_fd && pipe2(fds, O_CLOEXEC) != 0) {
        close(log);
        return -1;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        if (stdin_fd) dup2(fds[0], STDIN_FILENO);
        dup2(log, STDERR_FILENO);
        std::vector<char*> argv;
        for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(log);
    if (stdin_fd) {
        close(fds[0]);
        if (pid < 0) close(fds[1]);
        else *stdin_fd = fds[1];
    }
    return pid;
}

bool publish_start_video(FfmpegPipe* pipe, const std::string& video_path, int width, int height, int fps,
                         const std::string& log_path, std::string* error)
{
    // A dead ffmpeg must show as a failed write, not kill the capture.
    std::signal(SIGPIPE, SIG_IGN);
    const std::vector<std::string> arguments = {
        "ffmpeg", "-hide_banner", "-loglevel", "error", "-y",
        "-f", "rawvideo", "-pix_fmt", "rgb24", "-s", std::to_string(width) + "x" + std::to_string(height),
        "-framerate", std::to_string(fps), "-i", "pipe:0",
        // Players take HD video as BT.709; swscale would convert by BT.601.
        "-vf", "scale=out_color_matrix=bt709:out_range=tv:flags=accurate_rnd+bitexact,format=yuv420p",
        // x264's stream depends on its thread count, which it would take from
        // the machine's cores; a fixed count gives the same stream anywhere.
        "-c:v", "libx264", "-threads", "4", "-preset", "slow", "-profile:v", "high", "-crf", "17",
        "-color_primaries", "bt709", "-color_trc", "bt709", "-colorspace", "bt709", "-color_range", "tv",
        "-flags", "+bitexact", "-fflags", "+bitexact", "-an", video_path,
    };
    pipe->pid = spawn_ffmpeg(arguments, log_path, &pipe->fd);
    if (pipe->pid < 0) {
        *error = "cannot start ffmpeg";
        return false;
    }
    return true;
}

bool publish_run_ffmpeg(const std::vector<std::string>& arguments, const std::string& log_path, std::string* log)
{
    // Without SIMD, the sound's filters and encoder give the same samples on
    // every processor (the FMA versions round differently); sound is cheap.
    std::vector<std::string> command = {"ffmpeg", "-hide_banner", "-nostdin", "-nostats", "-y", "-cpuflags", "0"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    const pid_t pid = spawn_ffmpeg(command, log_path, nullptr);
    int status = 0;
    bool waited = pid > 0;
    while (waited && waitpid(pid, &status, 0) < 0) waited = errno == EINTR;
    std::ifstream file(log_path, std::ios::binary);
    log->assign(std::istreambuf_iterator<char>(file), {});
    return waited && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool publish_mux(const std::string& video_path, const std::string& wav_path, const std::string& audio_filter,
                 const std::string& metadata_path, const std::string& mp4_path, const std::string& log_path,
                 std::string* log)
{
    return publish_run_ffmpeg({"-i", video_path, "-i", wav_path, "-f", "ffmetadata", "-i", metadata_path,
                               "-map", "0:v", "-map", "1:a", "-map_metadata", "2", "-map_chapters", "2",
                               "-metadata", "title=Periodica", "-c:v", "copy", "-af", audio_filter,
                               "-c:a", "aac", "-b:a", "320k", "-ar", "48000", "-ac", "2",
                               "-flags", "+bitexact", "-fflags", "+bitexact", "-movflags", "+faststart",
                               "-f", "mp4", mp4_path},
                              log_path, log);
}
