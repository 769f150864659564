// Files and tools for the tests: scratch directories, whole-file reads and
// writes, running a program, little-endian fields.
#pragma once
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// An empty directory of its own for this process and tag (ctest runs tests
// side by side, each in its own process).
inline std::string scratch_dir(const std::string& tag)
{
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("periodica_" + tag + "_" + std::to_string(getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string();
}

inline std::vector<uint8_t> read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string read_text(const std::string& path)
{
    const std::vector<uint8_t> bytes = read_file(path);
    return std::string(bytes.begin(), bytes.end());
}

inline bool write_file(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return out.good();
}

inline bool file_exists(const std::string& path)
{
    return std::ifstream(path).good();
}

// Runs a shell command line; its exit status, or -1 when it did not exit.
inline int run_command(const std::string& command)
{
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A command's exit status and what it wrote, kept in files under dir.
struct CommandResult { int status; std::string out, err; };
inline CommandResult run_logged(const std::string& dir, const std::string& command)
{
    const int status = run_command(command + " >'" + dir + "/stdout' 2>'" + dir + "/stderr'");
    return {status, read_text(dir + "/stdout"), read_text(dir + "/stderr")};
}

inline uint32_t le32(const std::vector<uint8_t>& bytes, size_t at)
{
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}
