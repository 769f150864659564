// The desktop program's command line: the show, or a line of text instead.
#pragma once
#include <cstdio>

enum class CommandLineRequest {
    show,     // play the show (windowed for exactly "-w", full screen otherwise)
    help,     // some argument is "--help"
    version,  // some argument is "--version" and none is "--help"
};

CommandLineRequest command_line_request(int argc, char** argv);
// The usage text: the options, the controls, where the data is read from
// and the exit statuses.
void print_help(FILE* out);
// "periodica VERSION" and a newline.
void print_version(FILE* out, const char* version);
