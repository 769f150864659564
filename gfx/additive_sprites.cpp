#include "gfx/additive_sprites.h"

void begin_additive_sprites(GLuint texture, float alpha)
{
    glEnable(GL_BLEND);
    glColor4f(1, 1, 1, alpha);
    glBlendFunc(GL_SRC_COLOR, GL_ONE);
    glPushMatrix();
    glBindTexture(GL_TEXTURE_2D, texture);
}

void end_additive_sprites()
{
    glPopMatrix();
    glDisable(GL_BLEND);
}
