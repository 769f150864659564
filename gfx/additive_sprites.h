#pragma once
#include <GL/gl.h>

// The opening and closing of the sprite column and the sprite tunnel: blending
// on, colour (1, 1, 1, alpha), blend function (GL_SRC_COLOR, GL_ONE), the
// matrix pushed and the texture bound; then the matrix popped and blending
// off. Colour and blend function stay as set.
void begin_additive_sprites(GLuint texture, float alpha);
void end_additive_sprites();
