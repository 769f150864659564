// The OpenGL ES 2.0 entry points the layer draws with, looked up by name at
// start-up rather than linked, so the layer's own gl... definitions never
// meet the driver's.
#pragma once
#include <GL/gl.h>
#include <GL/glext.h>

#include "fixed_function/fixed_function.h"

struct EsFunctions {
    void (*ActiveTexture)(GLenum);
    void (*AttachShader)(GLuint, GLuint);
    void (*BindAttribLocation)(GLuint, GLuint, const GLchar*);
    void (*BindBuffer)(GLenum, GLuint);
    void (*BindTexture)(GLenum, GLuint);
    void (*BlendFunc)(GLenum, GLenum);
    void (*BufferData)(GLenum, GLsizeiptr, const void*, GLenum);
    void (*BufferSubData)(GLenum, GLintptr, GLsizeiptr, const void*);
    void (*Clear)(GLbitfield);
    void (*ClearColor)(GLfloat, GLfloat, GLfloat, GLfloat);
    void (*CompileShader)(GLuint);
    GLuint (*CreateProgram)();
    GLuint (*CreateShader)(GLenum);
    void (*CullFace)(GLenum);
    void (*DepthFunc)(GLenum);
    void (*DepthRangef)(GLfloat, GLfloat);
    void (*Disable)(GLenum);
    void (*DisableVertexAttribArray)(GLuint);
    void (*DrawElements)(GLenum, GLsizei, GLenum, const void*);
    void (*Enable)(GLenum);
    void (*EnableVertexAttribArray)(GLuint);
    void (*Finish)();
    void (*FrontFace)(GLenum);
    void (*GenBuffers)(GLsizei, GLuint*);
    void (*GenTextures)(GLsizei, GLuint*);
    void (*GetIntegerv)(GLenum, GLint*);
    void (*GetProgramInfoLog)(GLuint, GLsizei, GLsizei*, GLchar*);
    void (*GetProgramiv)(GLuint, GLenum, GLint*);
    void (*GetShaderInfoLog)(GLuint, GLsizei, GLsizei*, GLchar*);
    void (*GetShaderiv)(GLuint, GLenum, GLint*);
    const GLubyte* (*GetString)(GLenum);
    GLint (*GetUniformLocation)(GLuint, const GLchar*);
    void (*LinkProgram)(GLuint);
    void (*PixelStorei)(GLenum, GLint);
    void (*ReadPixels)(GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, void*);
    void (*ShaderSource)(GLuint, GLsizei, const GLchar* const*, const GLint*);
    void (*TexImage2D)(GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum, const void*);
    void (*TexParameteri)(GLenum, GLenum, GLint);
    void (*Uniform1f)(GLint, GLfloat);
    void (*Uniform1i)(GLint, GLint);
    void (*Uniform2f)(GLint, GLfloat, GLfloat);
    void (*Uniform3fv)(GLint, GLsizei, const GLfloat*);
    void (*Uniform4fv)(GLint, GLsizei, const GLfloat*);
    void (*UseProgram)(GLuint);
    void (*VertexAttribPointer)(GLuint, GLint, GLenum, GLboolean, GLsizei, const void*);
    void (*Viewport)(GLint, GLint, GLsizei, GLsizei);
};

extern EsFunctions es;

// Fills es through lookup. False, naming the first missing entry point in
// error, when one can't be found.
bool fill_es_functions(EsLookup lookup, std::string* error);
