#include "offline/frame_target.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

std::string position_problem(int32_t position)
{
    if (position < kFirstShowPosition)
        return "position " + std::to_string(position) + " is before the first row (the show starts at 0)";
    if (position > kLastShowPosition)
        return "position " + std::to_string(position) + " is after the end of the show (" +
               std::to_string(kLastShowPosition) + ")";
    if (position % 100 > 63)
        return "position " + std::to_string(position) + " names row " + std::to_string(position % 100) +
               ", but patterns have rows 0-63";
    return "";
}

bool parse_frame_target(const std::string& text, FrameTarget* target, std::string* error)
{
    const size_t at = text.find('@');
    const std::string position_text = text.substr(0, at);
    errno = 0;
    char* end = nullptr;
    const long position = std::strtol(position_text.c_str(), &end, 10);
    if (position_text.empty() || errno != 0 || *end != '\0' || position < -1000000 || position > 1000000) {
        *error = "'" + text + "' is not POS or POS@SECONDS";
        return false;
    }
    target->position = static_cast<int32_t>(position);
    target->seconds = 0.0;
    if (at != std::string::npos) {
        const std::string seconds_text = text.substr(at + 1);
        errno = 0;
        const double seconds = std::strtod(seconds_text.c_str(), &end);
        if (seconds_text.empty() || errno != 0 || *end != '\0' || !std::isfinite(seconds) || seconds < 0 ||
            seconds > 3600) {
            *error = "'" + text + "' needs SECONDS between 0 and 3600 after the @";
            return false;
        }
        target->seconds = seconds;
    }
    *error = position_problem(target->position);
    return error->empty();
}
