// Video encoding through Debian's ffmpeg, run as a child process: the frames
// are piped in raw as they are drawn, then the sound is muxed in.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/types.h>

struct FfmpegPipe {
    pid_t pid = -1;
    int fd = -1;  // ffmpeg's standard input
};

// True when an executable ffmpeg is on PATH.
bool ffmpeg_available();
// Starts ffmpeg encoding raw RGBA frames (bottom row first, as glReadPixels
// gives them) at fps into video_path: H.264, yuv420p, no sound.
bool ffmpeg_start_video(FfmpegPipe* pipe, const std::string& video_path, int width, int height, int fps,
                        std::string* error);
bool ffmpeg_write_frame(FfmpegPipe* pipe, const uint8_t* rgba, size_t bytes);
// Closes the pipe and waits; false unless ffmpeg exited with status 0.
bool ffmpeg_finish(FfmpegPipe* pipe);
// Copies the video of video_path and encodes wav_path as AAC into mp4_path.
bool ffmpeg_mux(const std::string& video_path, const std::string& wav_path, const std::string& mp4_path,
                std::string* error);
