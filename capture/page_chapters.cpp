#include "capture/page_chapters.h"

#include "app/sections.h"
#include "capture/capture_options.h"

// Section names are plain words, but a quote or backslash would end the
// string early.
static std::string json_string(const char* text)
{
    std::string result = "\"";
    for (; *text; ++text) {
        if (*text == '"' || *text == '\\') result += '\\';
        result += *text;
    }
    return result + "\"";
}

std::string page_chapters_json(const std::vector<Chapter>& chapters)
{
    if (chapters.size() != static_cast<size_t>(kSectionCount)) return "";
    std::string text = "[\n";
    for (size_t i = 0; i < chapters.size(); ++i) {
        const ShowSection& section = kSections[chapters[i].section];
        text += "{\"name\": " + json_string(section.name) + ", \"first\": " + std::to_string(section.first) +
                ", \"start_ms\": " + std::to_string(chapters[i].start_ms) + ", \"still\": " +
                json_string(frame_target_name({section.first, section.still}).c_str()) + "}" +
                (i + 1 < chapters.size() ? ",\n" : "\n");
    }
    return text + "]\n";
}
