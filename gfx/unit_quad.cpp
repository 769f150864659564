#include "gfx/unit_quad.h"

#include <GL/gl.h>

void emit_unit_quad_corners(float x, float y, float scale)
{
    glTexCoord2f(0, 1);
    glVertex3f(x - scale, y - scale, 0);
    glTexCoord2f(1, 1);
    glVertex3f(x + scale, y - scale, 0);
    glTexCoord2f(1, 0);
    glVertex3f(x + scale, y + scale, 0);
    glTexCoord2f(0, 0);
    glVertex3f(x - scale, y + scale, 0);
}

void draw_unit_quad()
{
    glBegin(GL_POLYGON);
    emit_unit_quad_corners(0, 0, 1);
    glEnd();
}
