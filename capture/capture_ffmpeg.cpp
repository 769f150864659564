#include "capture/capture_ffmpeg.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <string_view>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

bool ffmpeg_available()
{
    const char* path = std::getenv("PATH");
    if (!path) return false;
    std::string_view rest(path);
    while (true) {
        const size_t colon = rest.find(':');
        std::string directory(rest.substr(0, colon));
        if (directory.empty()) directory = ".";
        if (access((directory + "/ffmpeg").c_str(), X_OK) == 0) return true;
        if (colon == std::string_view::npos) return false;
        rest.remove_prefix(colon + 1);
    }
}

// Runs argv with its standard input from a new pipe when pipe_fd is given.
static pid_t spawn(const std::vector<std::string>& arguments, int* pipe_fd)
{
    int fds[2] = {-1, -1};
    if (pipe_fd && ::pipe(fds) != 0) return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        if (pipe_fd) {
            dup2(fds[0], STDIN_FILENO);
            close(fds[0]);
            close(fds[1]);
        }
        std::vector<char*> argv;
        for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    if (pipe_fd) {
        close(fds[0]);
        if (pid < 0) {
            close(fds[1]);
            return -1;
        }
        *pipe_fd = fds[1];
    }
    return pid;
}

static bool wait_success(pid_t pid)
{
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool ffmpeg_start_video(FfmpegPipe* pipe, const std::string& video_path, int width, int height, int fps,
                        std::string* error)
{
    // A dead ffmpeg must show as a failed write, not kill the capture.
    // The fastest x264 preset: on two cores the slower ones, sharing them
    // with the drawing, took longer than the show lasts.
    std::signal(SIGPIPE, SIG_IGN);
    const std::vector<std::string> arguments = {
        "ffmpeg", "-hide_banner", "-loglevel", "error", "-y",
        "-f", "rawvideo", "-pix_fmt", "rgba",
        "-s", std::to_string(width) + "x" + std::to_string(height),
        "-framerate", std::to_string(fps), "-i", "pipe:0",
        // x264's stream depends on its thread count, which it would take from
        // the processors it may run on; a fixed count gives the same file anywhere.
        "-vf", "vflip", "-c:v", "libx264", "-threads", "4", "-preset", "ultrafast", "-crf", "18",
        "-pix_fmt", "yuv420p", "-r", std::to_string(fps), video_path,
    };
    pipe->pid = spawn(arguments, &pipe->fd);
    if (pipe->pid < 0) {
        *error = "cannot start ffmpeg";
        return false;
    }
    return true;
}

bool ffmpeg_write_frame(FfmpegPipe* pipe, const uint8_t* rgba, size_t bytes)
{
    size_t done = 0;
    while (done < bytes) {
        const ssize_t written = write(pipe->fd, rgba + done, bytes - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        done += static_cast<size_t>(written);
    }
    return true;
}

bool ffmpeg_finish(FfmpegPipe* pipe)
{
    if (pipe->fd >= 0) close(pipe->fd);
    pipe->fd = -1;
    const bool ok = pipe->pid > 0 && wait_success(pipe->pid);
    pipe->pid = -1;
    return ok;
}

bool ffmpeg_mux(const std::string& video_path, const std::string& wav_path, const std::string& mp4_path,
                std::string* error)
{
    const std::vector<std::string> arguments = {
        "ffmpeg", "-hide_banner", "-loglevel", "error", "-nostdin", "-y",
        "-i", video_path, "-i", wav_path,
        "-map", "0:v", "-map", "1:a", "-c:v", "copy", "-c:a", "aac", "-b:a", "192k",
        "-movflags", "+faststart", mp4_path,
    };
    const pid_t pid = spawn(arguments, nullptr);
    if (pid < 0 || !wait_success(pid)) {
        *error = "ffmpeg could not mux " + video_path + " and " + wav_path + " into " + mp4_path;
        return false;
    }
    return true;
}
