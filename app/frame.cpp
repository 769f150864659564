#include <GL/gl.h>

#include "app/shell.h"
#include "app/timeline.h"

void set_frame_view()
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-1.33, 1.33, -1, 1, 3, 1000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    // At this depth the view spans x -1.33..1.33 and y -1..1.
    glTranslatef(0, 0, -3);
}

void draw_frame(double p, int width, int height)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    set_frame_view();
    run_timeline(p, width, height);
}
