#include <cstdio>

#include "app/command_line.h"
#include "app/shell.h"

// PERIODICA_VERSION comes from the CMake project, the one place it is set.
int main(int argc, char** argv)
{
    switch (command_line_request(argc, argv)) {
    case CommandLineRequest::help:
        print_help(stdout);
        return 0;
    case CommandLineRequest::version:
        print_version(stdout, PERIODICA_VERSION);
        return 0;
    case CommandLineRequest::show:
        break;
    }
    return run_demo(argc, argv);
}
