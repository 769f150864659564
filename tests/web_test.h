// What the browser tests share: the page's address, a run of the page in
// headless Chromium through tests/web_console.py, a ?frame= screenshot as the
// README gives it, and the console's lines. Needs WEB_PAGE, CHROMIUM and
// WEB_CONSOLE defined.
#pragma once
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "tests/test_files.h"

// The page with query, quoted for the shell.
inline std::string page_url(const std::string& query)
{
    return std::string("'file://") + WEB_PAGE + (query.empty() ? "" : "?" + query) + "'";
}

// web_console.py [options] on the page with query for seconds; actions as
// that script takes them, quoted for the shell. The screenshot is dir/show.png.
inline CommandResult browse(const std::string& dir, const std::string& options, const std::string& query,
                            double seconds, const std::string& actions = "")
{
    return run_logged(dir, std::string("python3 ") + WEB_CONSOLE + " " + options + " " + CHROMIUM + " " +
                               page_url(query) + " " + std::to_string(seconds) + " " + dir + "/show.png " + actions);
}

// An action that prints, AT seconds in, what the page shows, for a failing
// test's message: whether the start screen is up and with what words, whether
// a canvas is in place, and the position the last frame drew.
inline std::string page_state_action(double at)
{
    return "'" + std::to_string(at) +
           "=console.log(\"page state: \" + JSON.stringify({start: !document.getElementById(\"start\").hidden, "
           "message: document.getElementById(\"message\").textContent, canvas: !!document.getElementById(\"canvas\"), "
           "drawn: window.periodicaDrawn, visible: document.visibilityState}))'";
}

// The README's command for a ?frame= picture, on a fresh profile kept off
// the network; flags are added (a device scale factor, say). The exit status.
inline int chromium_screenshot(const std::string& query, const std::string& shot, const std::string& dir,
                               const std::string& flags = "")
{
    return run_command(
        std::string(CHROMIUM) +
            " --headless=new --no-sandbox --use-angle=swiftshader --enable-unsafe-swiftshader --window-size=1024,768"
            " --hide-scrollbars --virtual-time-budget=600000 " + flags + " --screenshot=" + shot + " " +
            page_url(query) + " --user-data-dir=" + shot + ".profile --disable-background-networking"
            " --disable-component-update --disable-sync --no-first-run --disable-quic >" + dir + "/chromium.log 2>&1",
        900);
}

// What followed each "periodica: start screen" line of the console: the
// position of the next show's first position line, or -1 when no show
// started before the next start screen (or the end).
inline std::vector<int> first_positions_after_start_screens(const std::string& out)
{
    std::vector<int> found;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        int position = 0;
        if (line == "log: periodica: start screen")
            found.push_back(-1);
        else if (std::sscanf(line.c_str(), "log: periodica: position %d at", &position) == 1 && !found.empty() &&
                 found.back() == -1)
            found.back() = position;
    }
    return found;
}

// Lines of the console that start with prefix, without it.
inline std::vector<std::string> lines_after(const std::string& out, const std::string& prefix)
{
    std::vector<std::string> found;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind(prefix, 0) == 0) found.push_back(line.substr(prefix.size()));
    return found;
}

// The console's position lines: the position and the drawing buffer's size
// the frame was drawn at.
struct PositionLine {
    int position, width, height;
};
inline std::vector<PositionLine> position_lines(const std::string& out)
{
    std::vector<PositionLine> found;
    for (const std::string& line : lines_after(out, "log: periodica: position ")) {
        PositionLine p{};
        const size_t drawn = line.find("drawn at ");
        if (std::sscanf(line.c_str(), "%d", &p.position) == 1 && drawn != std::string::npos &&
            std::sscanf(line.c_str() + drawn, "drawn at %dx%d", &p.width, &p.height) == 2)
            found.push_back(p);
    }
    return found;
}
