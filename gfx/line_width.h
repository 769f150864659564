// The width of the effects' outlines follows the height of the picture being
// drawn, so a picture of any size has the look of the demo's 1024x768 window:
// 2 pixels at 768 lines, 4 at 1536, 5.625 at 2160.
#pragma once

// The demo window's height in lines, at which outlines are 2 pixels wide.
constexpr int kOutlineLines = 768;

// lines: the whole picture's height in pixels (> 0; anything else is taken
// as 768). The frame sets it before its effects draw. The closing zoom-out's
// shrinking viewport does not change it: the window's pixels stay the size
// they are while the picture shrinks into its centre.
void set_picture_lines(int lines);
// Pixels, for glLineWidth: 2 * lines / 768; 2 until a height is set.
float outline_width();
