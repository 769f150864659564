// The web page's chapter list, as JSON: pure text, no files.
#pragma once
#include <string>
#include <vector>

#include "capture/publish_media.h"

// One object per chapter, in order: {"name", "first" (position), "start_ms"
// (from the show's first frame), "still" (the file its single frame went
// to)}. Empty unless there is exactly one chapter per section of the show.
std::string page_chapters_json(const std::vector<Chapter>& chapters);
