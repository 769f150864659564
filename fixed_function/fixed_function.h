// Our fixed-function layer: the OpenGL 1.x subset that app/ and gfx/ call,
// drawn on OpenGL ES 2.0 (WebGL 1) with shaders. A program linked with this
// library instead of the system's OpenGL gets every gl... call below from it:
//
//   immediate mode   glBegin/glEnd with GL_TRIANGLES, GL_TRIANGLE_STRIP,
//                    GL_QUADS, GL_POLYGON, GL_LINES, GL_LINE_STRIP;
//                    glVertex3f(v), glColor3f/4f, glTexCoord2f, glNormal3fv
//   arrays           glVertexPointer, glNormalPointer (GL_FLOAT),
//                    glEnable/DisableClientState, glDrawArrays,
//                    glDrawElements (GL_UNSIGNED_INT)
//   matrices         glMatrixMode, glLoadIdentity, glPush/PopMatrix,
//                    glTranslatef, glRotatef, glScalef, glFrustum,
//                    glGetFloatv/glGetDoublev of both matrices
//   state            texturing (modulate), blending, depth test and range,
//                    culling and winding, alpha test (GL_GREATER, the one
//                    the demo asks for), lights 0 and 1 (directional,
//                    diffuse) on the default material, line width (wide
//                    lines become triangles that culling never removes),
//                    viewport
//   passed through   textures, clear, glReadPixels, glFinish, glPixelStorei,
//                    glGetIntegerv
//
// Vertices are recorded as given and gathered into one indexed buffer with
// a table of the matrices they were given under; the shaders transform,
// light and widen them. A frame of a thousand small quads, each under its
// own matrix, is a handful of ES draw calls. Calls inside glBegin/glEnd
// other than those OpenGL allows there are not checked, nor are GL errors
// raised.
#pragma once
#include <string>

// Looks up an ES entry point by its gl... name (eglGetProcAddress on the
// desktop, the web toolchain's lookup in a browser); null when missing.
using EsLookup = void* (*)(const char* name);

// Fills the layer's table of ES entry points and builds its shaders on the
// current ES 2.0 context, then takes the viewport from it. Call once the
// context is current, before any other gl... call. False, with a one-line
// reason in error, when an entry point is missing or a shader fails.
bool fixed_function_init(EsLookup lookup, std::string* error);

// Draws what is still batched. glReadPixels and glFinish do it themselves;
// a caller that presents the picture another way (a browser frame) calls it
// at the end of each frame.
void fixed_function_flush();

// On: the layer draws and clears nothing (what is batched is dropped at a
// flush, clears and runs of lines are not sent) but keeps every state the
// calls set, as it would drawing: for stepping a show unseen faster than a
// GPU could draw it. What was batched before the switch is drawn first.
void fixed_function_draw_nothing(bool on);
