// Application shell: command line, start-up and the frame skeleton.
#pragma once
#include <cstdint>

#include "app/sections.h"  // kLastPosition

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;

// SDL_OPENGL | SDL_HWSURFACE, plus SDL_FULLSCREEN unless the command line
// is exactly one argument "-w".
uint32_t video_flags(int argc, char** argv);
// True once the show is over: the position read as unsigned 32-bit is past
// kLastPosition (the -37 before the first row reads far above it too).
bool past_the_end(int32_t position);
// Puts the device menu's answer "2" (16-bit 44.1 kHz) and a newline back
// onto standard input, so the menu reads it without waiting.
void pre_answer_device_menu();
// What the live show does once its OpenGL is current, on the desktop and in
// a browser: the device menu's pushed answer, the live clock, the resources
// from data_dir (load_resources), the clear colour and texturing. 1 on
// success, 0 when the module file can't be opened.
int start_up_show(const char* data_dir);
// The same from data/ under the working directory, with another choice of
// sound device than the pushed menu answer (see load_resources): the
// browser's page has no menu.
int start_up_show_choosing(int (*choose_sound_device)());
// True until the replay routine has started row 0 of order 0: the position
// is -37 before, far above 100 when read unsigned.
bool before_first_row();
// Draws the live show's frame at the song position of the moment into a
// picture of width x height pixels (the demo's window is 1024x768); true
// once the show is past its end (read afresh after drawing).
bool draw_live_frame(int width = kScreenWidth, int height = kScreenHeight);
// The frame's projection and base model-view: the view spans x -1.33..1.33
// and y -1..1 at the depth (z = -3) where the 2D effects draw.
void set_frame_view();
// Frame steps from the clear to the timeline, for position p, into a picture
// of width x height pixels (the window's size, live).
void draw_frame(double p, int width, int height);
// The whole show, played from the data data_search.h finds (the working
// directory's data/ first); returns the exit status: 0 at its end or when
// ended, 1 without the module, 2 without a window.
int run_demo(int argc, char** argv);
