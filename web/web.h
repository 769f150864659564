// What the browser build adds around the demo's own start-up, frames and
// end: the page's two modes and what they share.
#pragma once
#include <string>

// The live show (the page's Play button or ?autoplay): starts it and returns;
// the browser's animation frames run it and the page is told when it ends.
// 0, or 1 after a failure reported to the page.
int start_web_show();
// ?frame=POS@SECONDS: draws exactly the frame the capture tool writes for
// that target, stepping the show offline from its start. 0, or 1 after a
// failure reported to the page.
int start_single_frame(const char* target);

// Makes current a WebGL 1 context on the page's #canvas (1024x768, opaque,
// with a depth buffer) and fills the fixed-function layer's ES entry points
// from the toolchain's emscripten_gl... functions. False with a reason.
bool make_web_context(std::string* error);
// A one-line failure: on the console (standard error) and on the page.
void report_failure(const std::string& reason);
