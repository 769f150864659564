// The show's song played by the demo's own start-up, player and audio
// callback in the test process: every tick's position and the sound SDL
// would be given, to say which frame a capture should give and what sound.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Every tick of the reference run, with the position it leaves; the sound.
extern std::vector<int32_t> reference_positions;
extern std::vector<int16_t> reference_sound;

// Plays the module at path for at least seconds (once per process; a longer
// run later plays on from the start again). False when it can't be played.
bool render_reference(const std::string& path, double seconds);

// Little-endian 16-bit samples of bytes from byte from on.
std::vector<int16_t> samples_of(const std::vector<uint8_t>& bytes, size_t from);
std::vector<int16_t> reference_slice(int64_t from, int64_t to);

// The output sample at which frame (counted from playback start) stands.
int64_t sample_of(int64_t frame, int fps);
int32_t position_of(int64_t frame, int fps);
// The first frame of the show: the first row's.
int64_t first_show_frame(int fps);

// First and last frame (counted from the start of playback) that a capture
// of from..to writes: from the first row on, the first frame at or past
// from, up to and including the first frame past to.
struct Span {
    int64_t first, last;
};
Span expected_span(int fps, int32_t from, int32_t to);

// The frame a --frames-at request should give, counted from playback start.
int64_t expected_single_frame(int fps, int32_t position, double seconds);

// DIR/frame_NNNNNN.png, the capture's name for the index-th frame of a span.
std::string frame_file(const std::string& dir, int64_t index);
