// The desktop program's command line (--help, --version) and where it looks
// for its data: the working directory's data/ first, then the installed data.
#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <vector>

#include "app/command_line.h"
#include "app/data_search.h"
#include "test_files.h"

static CommandLineRequest request_for(std::initializer_list<const char*> args)
{
    std::vector<char*> argv{const_cast<char*>("periodica")};
    for (const char* arg : args) argv.push_back(const_cast<char*>(arg));
    return command_line_request(static_cast<int>(argv.size()), argv.data());
}

TEST(CommandLine, HelpAndVersionAnywhereOtherwiseTheShow)
{
    EXPECT_EQ(request_for({"--help"}), CommandLineRequest::help);
    EXPECT_EQ(request_for({"-w", "--help"}), CommandLineRequest::help);
    EXPECT_EQ(request_for({"--version", "--help"}), CommandLineRequest::help);
    EXPECT_EQ(request_for({"--version"}), CommandLineRequest::version);
    EXPECT_EQ(request_for({"-w", "--version"}), CommandLineRequest::version);
    // Everything else plays, windowed or full screen as video_flags decides.
    for (auto request : {request_for({}), request_for({"-w"}), request_for({"-h"}), request_for({"--helpme"}),
                         request_for({"-help"}), request_for({"--Version"}), request_for({"x"})}) {
        EXPECT_EQ(request, CommandLineRequest::show);
    }
}

TEST(DataSearch, InstalledDataLiesUnderTheProgramsPrefix)
{
    EXPECT_EQ(installed_data_dir("/usr/games/periodica"), "/usr/share/games/periodica");
    EXPECT_EQ(installed_data_dir("/tmp/root/usr/games/periodica"), "/tmp/root/usr/share/games/periodica");
    // No prefix to take: the root's own share/.
    EXPECT_EQ(installed_data_dir("/periodica"), "/share/games/periodica");
    EXPECT_EQ(installed_data_dir(""), "");
    EXPECT_EQ(installed_data_dir("games/periodica"), "");
    EXPECT_EQ(own_program_path().substr(own_program_path().rfind('/') + 1), "test_data_search");
}

TEST(DataSearch, WorkingDirectoryFirstThenInstalledThenNeither)
{
    const std::string dir = scratch_dir("data_search");
    const std::string installed = dir + "/share/games/periodica";
    std::filesystem::create_directories(installed);
    std::filesystem::create_directories(dir + "/work/data");
    const std::filesystem::path old_dir = std::filesystem::current_path();
    std::filesystem::current_path(dir + "/work");

    // Neither holds the module (the working data/ has only a picture).
    write_file("data/velmor.jpg", {0xff, 0xd8});
    EXPECT_EQ(find_data_dir(installed), "");
    EXPECT_EQ(find_data_dir(""), "");

    write_file(installed + "/zentaro.mod", {'M'});
    EXPECT_EQ(find_data_dir(installed), installed);

    // The working directory's module wins, also over an installed one.
    write_file("data/zentaro.mod", {'M'});
    EXPECT_EQ(find_data_dir(installed), "data");
    EXPECT_EQ(find_data_dir(""), "data");

    // A module that can't be read is no module (root reads everything).
    if (geteuid() != 0) {
        std::filesystem::permissions("data/zentaro.mod", std::filesystem::perms::none);
        EXPECT_EQ(find_data_dir(installed), installed);
    }
    std::filesystem::current_path(old_dir);
    std::filesystem::remove_all(dir);
}
