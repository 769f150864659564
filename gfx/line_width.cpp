#include "gfx/line_width.h"

static int picture_lines = kOutlineLines;

void set_picture_lines(int lines)
{
    picture_lines = lines > 0 ? lines : kOutlineLines;
}

float outline_width()
{
    return 2.0f * static_cast<float>(picture_lines) / kOutlineLines;
}
