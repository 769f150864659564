// The layer's shader programs: what their sources share, and how one is
// built.
#pragma once
#include <GL/gl.h>

#include <string>

// GLSL for every vertex shader: the matrix slots (SLOTS of them, each the
// projection * model-view product and the normal matrix, seven vec4s), the
// viewport and line uniforms, to_clip(base, p) and line_corner(base, own,
// other, first, side), which places a wide line's corner.
extern const char kVertexShaderCommon[];

// Compiles prefix + common + vertex and prefix + precision + fragment, binds the
// attributes to locations 0, 1, ... in the order given and links them.
// 0, with a one-line reason in error, when a shader fails.
GLuint build_layer_program(const std::string& prefix, const char* vertex, const char* fragment,
                           const char* const attributes[], int attribute_count, std::string* error);
