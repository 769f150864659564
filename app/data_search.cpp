#include "app/data_search.h"

#include <climits>
#include <unistd.h>

#include "app/startup.h"

std::string own_program_path()
{
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return {};
    return std::string(path, static_cast<size_t>(length));
}

std::string installed_data_dir(const std::string& program_path)
{
    if (program_path.empty() || program_path[0] != '/') return {};
    const std::string program_dir = program_path.substr(0, program_path.rfind('/'));
    const std::string prefix = program_dir.substr(0, program_dir.rfind('/'));
    return prefix + "/share/games/periodica";
}

static bool holds_module(const std::string& dir)
{
    return access((dir + "/" + kModuleFileName).c_str(), R_OK) == 0;
}

std::string find_data_dir(const std::string& installed_dir)
{
    if (holds_module(kWorkingDataDir)) return kWorkingDataDir;
    if (!installed_dir.empty() && holds_module(installed_dir)) return installed_dir;
    return {};
}
