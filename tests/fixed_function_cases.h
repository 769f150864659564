// Drawings for the fixed-function layer's tests, in the OpenGL 1.x the demo
// uses. The same source is built twice: against the system's OpenGL 1.x
// (the reference program) and against our layer on OpenGL ES (the test).
#pragma once
#include <cstdint>
#include <vector>

constexpr int kCaseWidth = 128;
constexpr int kCaseHeight = 96;

struct FixedFunctionCase {
    const char* name;
    // Draws on a cleared picture; may hand back numbers it read from GL.
    void (*draw)(std::vector<float>* values);
};

extern const FixedFunctionCase kFixedFunctionCases[];
extern const int kFixedFunctionCaseCount;

// Makes the cases' textures; once per context, before any case.
void make_case_textures();
// Draws case k from the default state into values (kCaseValues numbers,
// zero past those it read) and rgba (its picture, bottom row first).
constexpr int kCaseValues = 32;
void run_case(int k, std::vector<uint8_t>* rgba, std::vector<float>* values);
