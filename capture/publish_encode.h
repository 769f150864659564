// ffmpeg for the published file: the video encoder fed through a pipe, and
// the runs for loudness and muxing with their standard error kept in a log.
#pragma once
#include <string>
#include <vector>

#include "capture/capture_ffmpeg.h"

// Starts ffmpeg encoding raw RGB frames (width x height, top row first) at
// fps from a pipe into video_path: libx264 High profile, preset slow, CRF 17,
// 4 threads, yuv420p with BT.709 conversion and tags, bit-exact, no sound.
// ffmpeg's messages go to log_path. Feed it with ffmpeg_write_frame, end with
// ffmpeg_finish.
bool publish_start_video(FfmpegPipe* pipe, const std::string& video_path, int width, int height, int fps,
                         const std::string& log_path, std::string* error);

// Runs "ffmpeg -hide_banner -nostdin -nostats -y -cpuflags 0" and arguments, its
// standard error into log_path, whose text ends up in *log. True when ffmpeg
// exited with status 0.
bool publish_run_ffmpeg(const std::vector<std::string>& arguments, const std::string& log_path, std::string* log);

// The mux: video_path's video as it is, wav_path (the 44.1 kHz mono mix)
// through audio_filter into AAC 320 kbit/s 48 kHz stereo, the chapters of
// metadata_path (FFMETADATA1), +faststart, bit-exact (no version strings or
// times), into mp4_path.
bool publish_mux(const std::string& video_path, const std::string& wav_path, const std::string& audio_filter,
                 const std::string& metadata_path, const std::string& mp4_path, const std::string& log_path,
                 std::string* log);
