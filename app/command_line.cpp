#include "app/command_line.h"

#include <cstring>

CommandLineRequest command_line_request(int argc, char** argv)
{
    CommandLineRequest request = CommandLineRequest::show;
    for (int index = 1; index < argc; ++index) {
        // A user asking for help must never get a full-screen show instead.
        if (std::strcmp(argv[index], "--help") == 0) return CommandLineRequest::help;
        if (std::strcmp(argv[index], "--version") == 0) request = CommandLineRequest::version;
    }
    return request;
}

void print_help(FILE* out)
{
    std::fputs("usage: periodica [-w | --help | --version]\n"
               "A real-time audiovisual demo: OpenGL effects timed to its own ProTracker soundtrack.\n"
               "\n"
               "  -w         play in a 1024x768 window (exactly this one argument);\n"
               "             any other command line plays full screen\n"
               "  --help     print this text and exit\n"
               "  --version  print the version and exit\n"
               "\n"
               "A mouse click or closing the window ends the show; keys do nothing.\n"
               "The pictures and the module are read from data/ under the working directory,\n"
               "or, where that holds no zentaro.mod, from ../share/games/periodica beside the\n"
               "program's directory (/usr/share/games/periodica when installed).\n"
               "Exit status: 0 at the show's end or when ended, 1 without the module,\n"
               "2 when the OpenGL window can't be opened.\n",
               out);
}

void print_version(FILE* out, const char* version)
{
    std::fprintf(out, "periodica %s\n", version);
}
