// Files and tools for the tests: scratch directories, whole-file reads and
// writes, running a program, little-endian fields.
#pragma once
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <thread>
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

// Kills a command's process group and reaps all of it: the test process is
// the subreaper of what its commands start, so orphans are its children.
inline void end_process_group(pid_t group)
{
    kill(-group, SIGKILL);
    while (waitpid(-group, nullptr, 0) > 0 || errno == EINTR) continue;
}

// Runs a shell command line (stdin /dev/null) in a process group of its own
// for at most limit_seconds (default: room for sanitizer builds, under the
// capture suites' 900 s), then ends the group, so nothing outlives the test. A
// timeout fails the test. The exit status, or -1 when the command did not exit.
inline int run_command(const std::string& command, double limit_seconds = 600)
{
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    const pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, 0);
        const int null_input = open("/dev/null", O_RDONLY);
        if (null_input >= 0) dup2(null_input, 0);
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    if (pid < 0) {
        ADD_FAILURE() << "cannot start: " << command;
        return -1;
    }
    setpgid(pid, pid);  // here too, so the group exists whichever side runs first
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(limit_seconds);
    auto pause = std::chrono::milliseconds(1);
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) break;
        const bool lost = done < 0 && errno != EINTR;
        if (lost || std::chrono::steady_clock::now() >= deadline) {
            end_process_group(pid);
            if (lost) ADD_FAILURE() << "lost track of: " << command;
            if (!lost) ADD_FAILURE() << "timed out after " << limit_seconds << " s, group killed: " << command;
            return -1;
        }
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(20));
    }
    end_process_group(pid);
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
