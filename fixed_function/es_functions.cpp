#include "fixed_function/es_functions.h"

EsFunctions es;

// Each slot with the ES name it is looked up by.
#define ES_SLOT(name) {reinterpret_cast<void**>(&es.name), "gl" #name}
static const struct {
    void** slot;
    const char* name;
} kSlots[] = {
    ES_SLOT(ActiveTexture), ES_SLOT(AttachShader), ES_SLOT(BindAttribLocation), ES_SLOT(BindBuffer),
    ES_SLOT(BindTexture), ES_SLOT(BlendFunc), ES_SLOT(BufferData), ES_SLOT(BufferSubData), ES_SLOT(Clear), ES_SLOT(ClearColor),
    ES_SLOT(CompileShader), ES_SLOT(CreateProgram), ES_SLOT(CreateShader), ES_SLOT(CullFace),
    ES_SLOT(DepthFunc), ES_SLOT(DepthRangef), ES_SLOT(Disable), ES_SLOT(DisableVertexAttribArray), ES_SLOT(DrawElements), ES_SLOT(Enable),
    ES_SLOT(EnableVertexAttribArray), ES_SLOT(Finish), ES_SLOT(FrontFace), ES_SLOT(GenBuffers),
    ES_SLOT(GenTextures), ES_SLOT(GetIntegerv), ES_SLOT(GetProgramInfoLog), ES_SLOT(GetProgramiv),
    ES_SLOT(GetShaderInfoLog), ES_SLOT(GetShaderiv), ES_SLOT(GetString), ES_SLOT(GetUniformLocation), ES_SLOT(LinkProgram),
    ES_SLOT(PixelStorei), ES_SLOT(ReadPixels), ES_SLOT(ShaderSource), ES_SLOT(TexImage2D),
    ES_SLOT(TexParameteri), ES_SLOT(Uniform1f), ES_SLOT(Uniform1i), ES_SLOT(Uniform2f), ES_SLOT(Uniform3fv), ES_SLOT(Uniform4fv),
    ES_SLOT(UseProgram),
    ES_SLOT(VertexAttribPointer), ES_SLOT(Viewport),
};
#undef ES_SLOT

static_assert(sizeof kSlots / sizeof kSlots[0] == sizeof(EsFunctions) / sizeof(void*),
              "every slot of the table is looked up");

bool fill_es_functions(EsLookup lookup, std::string* error)
{
    for (const auto& entry : kSlots) {
        *entry.slot = lookup(entry.name);
        if (!*entry.slot) {
            *error = std::string("OpenGL ES has no ") + entry.name;
            return false;
        }
    }
    return true;
}
