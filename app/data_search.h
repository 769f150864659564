// Where the desktop program reads its pictures and module: data/ under the
// working directory (the build tree, the tests), or else the data installed
// with the program, found from the program's own location.
#pragma once
#include <string>

// The working directory's data directory, as a relative path.
constexpr const char* kWorkingDataDir = "data";

// The program's own absolute path (/proc/self/exe); empty when it can't be read.
std::string own_program_path();
// The installed data for a program at program_path: its directory's parent
// joined with share/games/periodica (/usr/games/periodica ->
// /usr/share/games/periodica). Empty for an empty or relative path.
std::string installed_data_dir(const std::string& program_path);
// kWorkingDataDir when it holds a readable zentaro.mod, else installed_dir
// when that does (and is not empty), else empty: neither has the module.
std::string find_data_dir(const std::string& installed_dir);
