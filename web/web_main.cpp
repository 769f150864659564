// The demo in a web browser. The page calls the program once per show with
// no argument (the live show), "--from=POS" (the live show from song
// position POS) or "--frame=POS@SECONDS" (one frame).
#include <cstring>

#include "web/web.h"

int main(int argc, char** argv)
{
    static constexpr char kFrameOption[] = "--frame=";
    static constexpr char kFromOption[] = "--from=";
    if (argc == 2 && std::strncmp(argv[1], kFrameOption, sizeof kFrameOption - 1) == 0)
        return start_single_frame(argv[1] + sizeof kFrameOption - 1);
    if (argc == 2 && std::strncmp(argv[1], kFromOption, sizeof kFromOption - 1) == 0)
        return start_web_show(argv[1] + sizeof kFromOption - 1);
    return start_web_show(nullptr);
}
