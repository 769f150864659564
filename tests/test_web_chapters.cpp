// The page's chapters and the show out of the way, in headless Chromium: the
// start screen lists every section of app/sections.h with its still and
// start; a chapter starts the show there and the address names it; a link
// so named opens with it picked; the Full screen button and the pointer go
// while nothing moves and come back on a move, and a mouse click ends the
// show whether they show or not.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/sections.h"
#include "tests/test_files.h"
#include "tests/web_test.h"

static void expect_no_errors(const std::string& out)
{
    EXPECT_TRUE(lines_after(out, "exception:").empty() && lines_after(out, "error:").empty()) << out;
}

// The chapter of kSections[section], by its place in the list.
static std::string chapter_selector(int section)
{
    return "#chapters li:nth-child(" + std::to_string(section + 1) + ") .chapter";
}

// The layout, one fact a line: "view W H SCROLLWIDTH", "box NAME L T R B"
// for the title and Play, "widest L R" over every element of the page, and
// "chapter FIRST PICKED STILL_W STILL_H TIME|NAME" for each chapter in order.
static const char kLayout[] =
    "(() => { const box = e => { const r = e.getBoundingClientRect(); return [r.left, r.top, r.right, r.bottom]; };"
    " const lines = [[\"view\", innerWidth, innerHeight, document.documentElement.scrollWidth].join(\" \")];"
    " for (const id of [\"h1\", \"#play\"]) lines.push([\"box\", id].concat(box(document.querySelector(id))).join(\" \"));"
    " let left = 0, right = 0; for (const e of document.querySelectorAll(\"body *\")) { const r = e.getBoundingClientRect();"
    " if (r.width) { left = Math.min(left, r.left); right = Math.max(right, r.right); } }"
    " lines.push(\"widest \" + left + \" \" + right);"
    " for (const c of document.querySelectorAll(\"#chapters .chapter\")) { const img = c.querySelector(\"img\");"
    " lines.push([\"chapter\", c.dataset.first, c.getAttribute(\"aria-pressed\"), img && img.complete ? img.naturalWidth : 0,"
    " img && img.complete ? img.naturalHeight : 0, c.querySelector(\".time\").textContent + \"|\" +"
    " c.querySelector(\".name\").textContent].join(\" \")); }"
    " return lines.join(\"\\n\"); })()";

struct ListedChapter {
    int first = -1;
    std::string picked, time, name;
    int still_width = 0, still_height = 0;
};

static std::vector<ListedChapter> listed_chapters(const std::string& layout)
{
    std::vector<ListedChapter> chapters;
    for (const std::string& line : lines_after(layout, "chapter ")) {
        ListedChapter chapter;
        char picked[8] = "", words[128] = "";
        if (std::sscanf(line.c_str(), "%d %7s %d %d %127[^\n]", &chapter.first, picked, &chapter.still_width,
                        &chapter.still_height, words) != 5)
            continue;
        const std::string text = words;
        chapter.picked = picked;
        chapter.time = text.substr(0, text.find('|'));
        chapter.name = text.substr(text.find('|') + 1);
        chapters.push_back(chapter);
    }
    return chapters;
}

// m:ss in seconds, or -1 when it isn't that.
static int seconds_of(const std::string& time)
{
    int minutes = 0, seconds = 0;
    char rest = 0;
    if (time.size() < 4 || time[time.size() - 3] != ':' ||
        std::sscanf(time.c_str(), "%d:%2d%c", &minutes, &seconds, &rest) != 2 || seconds > 59)
        return -1;
    return minutes * 60 + seconds;
}

TEST(WebChapters, TheStartScreenListsEverySectionInOrderWithItsStillAndStartOnAPhoneAndADesktop)
{
    ASSERT_TRUE(file_exists(WEB_PAGE)) << WEB_PAGE << " is missing (make web writes it)";
    const struct { const char* screen; bool phone; } screens[] = {{"390,844,3", true}, {"1920,1080,1", false}};
    for (const auto& s : screens) {
        SCOPED_TRACE(s.screen);
        const std::string dir = scratch_dir("web_chapters_layout");
        const CommandResult run = browse(dir, std::string("--screen ") + s.screen + (s.phone ? " --phone" : ""), "",
                                         3, std::string("'2.5>") + dir + "/layout.txt=" + kLayout + "'");
        ASSERT_EQ(run.status, 0) << run.err;
        expect_no_errors(run.out);
        const std::string layout = read_text(dir + "/layout.txt");
        double width = 0, height = 0, scroll_width = 0, left = 0, right = 0;
        ASSERT_EQ(std::sscanf(layout.c_str(), "view %lf %lf %lf", &width, &height, &scroll_width), 3) << layout;
        EXPECT_LE(scroll_width, width) << "the page scrolls sideways";
        ASSERT_EQ(lines_after(layout, "widest ").size(), 1u) << layout;
        std::sscanf(lines_after(layout, "widest ")[0].c_str(), "%lf %lf", &left, &right);
        EXPECT_TRUE(left >= 0 && right <= width) << "something reaches from " << left << " to " << right;
        for (const std::string& box : lines_after(layout, "box ")) {
            char name[16] = "";
            double b[4] = {};
            ASSERT_EQ(std::sscanf(box.c_str(), "%15s %lf %lf %lf %lf", name, &b[0], &b[1], &b[2], &b[3]), 5) << box;
            EXPECT_TRUE(b[0] >= 0 && b[1] >= 0 && b[2] <= width && b[3] <= height) << box << " in " << width << "x"
                                                                                      << height;
        }
        const std::vector<ListedChapter> chapters = listed_chapters(layout);
        ASSERT_EQ(chapters.size(), static_cast<size_t>(kSectionCount)) << layout;
        int last_start = -1;
        for (int i = 0; i < kSectionCount; ++i) {
            const ListedChapter& chapter = chapters[i];
            EXPECT_EQ(chapter.first, kSections[i].first);
            EXPECT_EQ(chapter.name, kSections[i].name);
            EXPECT_EQ(chapter.picked, "false") << chapter.name << ": picked with no ?from=";
            EXPECT_EQ(chapter.still_width * 100 + chapter.still_height, 160 * 100 + 120)
                << chapter.name << ": its still is " << chapter.still_width << "x" << chapter.still_height;
            const int start = seconds_of(chapter.time);
            EXPECT_TRUE(i == 0 ? start == 0 : start > last_start) << chapter.name << " starts at " << chapter.time;
            last_start = start;
        }
        std::filesystem::remove_all(dir);
    }
}

// On a phone, a tap on the tube's chapter, then, after a click ended that
// show, on the cube field's (each scrolled to, below Play).
TEST(WebChapters, ATapOnAChapterStartsTheShowThereAndTheAddressNamesIt)
{
    ASSERT_TRUE(file_exists(WEB_PAGE)) << WEB_PAGE << " is missing (make web writes it)";
    const std::string dir = scratch_dir("web_chapters_tap");
    const int sections[] = {kSectionTube, kSectionCubeField};
    const std::string address = "[location.search, location.hash].join(\" \")";
    const std::string end = "document.getElementById(\"stage\").dispatchEvent(new MouseEvent(\"mousedown\"))";
    const std::string picked = "document.querySelector(\"" + chapter_selector(sections[0]) + "\")"
                               ".getAttribute(\"aria-pressed\")";
    const auto scroll = [](int section) {
        return "document.querySelector(\"" + chapter_selector(section) + "\").scrollIntoView()";
    };
    const CommandResult run = browse(
        dir, "--phone --screen 390,844,3", "keep=1", 14,
        "'1.5=" + scroll(sections[0]) + "' '2=@tap:" + chapter_selector(sections[0]) + "' '5>" + dir +
            "/first.txt=" + address + "' '5.5=" + end + "' '6.5>" + dir + "/picked.txt=" + picked + "' '7=" +
            scroll(sections[1]) + "' '7.5=@tap:" + chapter_selector(sections[1]) + "' '11>" + dir +
            "/second.txt=" + address + "'");
    ASSERT_EQ(run.status, 0) << run.err;
    expect_no_errors(run.out);
    const std::vector<int> first_positions = first_positions_after_start_screens(run.out);
    ASSERT_GE(first_positions.size(), 2u) << run.out;
    EXPECT_EQ(first_positions[0], kSections[sections[0]].first) << run.out;
    EXPECT_EQ(first_positions[1], kSections[sections[1]].first) << run.out;
    EXPECT_EQ(read_text(dir + "/first.txt"), "?keep=1&from=" + std::to_string(kSections[sections[0]].first) + " ");
    EXPECT_EQ(read_text(dir + "/second.txt"), "?keep=1&from=" + std::to_string(kSections[sections[1]].first) + " ");
    EXPECT_EQ(read_text(dir + "/picked.txt"), "true") << "the chapter is not picked after its show";
    std::filesystem::remove_all(dir);
}

// ?from= names a chapter as a tap leaves it; #from= as a browser that keeps
// the query of a page opened from disk would.
TEST(WebChapters, ALinkToAChapterOpensWithItPickedAndPlayStartsThere)
{
    ASSERT_TRUE(file_exists(WEB_PAGE)) << WEB_PAGE << " is missing (make web writes it)";
    for (const std::string& query : {std::string("from="), std::string("#from=")}) {
        SCOPED_TRACE(query);
        const std::string dir = scratch_dir("web_chapters_link");
        const int section = kSectionRingsAndCubeField;
        const CommandResult run = browse(dir, "--screen 1920,1080,1",
                                         query + std::to_string(kSections[section].first), 6,
                                         std::string("'1>") + dir + "/layout.txt=" + kLayout + "' 1.5=@click:#play");
        ASSERT_EQ(run.status, 0) << run.err;
        expect_no_errors(run.out);
        std::vector<int> picked;
        const std::vector<ListedChapter> chapters = listed_chapters(read_text(dir + "/layout.txt"));
        for (const ListedChapter& chapter : chapters)
            if (chapter.picked == "true") picked.push_back(chapter.first);
        EXPECT_EQ(picked, std::vector<int>{kSections[section].first});
        ASSERT_FALSE(chapters.empty());
        EXPECT_EQ(chapters[0].first, 0) << "the list does not offer the show's start";
        const std::vector<int> first_positions = first_positions_after_start_screens(run.out);
        ASSERT_FALSE(first_positions.empty()) << run.out;
        EXPECT_EQ(first_positions[0], kSections[section].first) << run.out;
        std::filesystem::remove_all(dir);
    }
}

// Play at 1 s; the show runs from 2-3 s. With the mouse still, the button
// and pointer are gone by 5.5 s; a move at 6 brings them back; gone again,
// a click at 10 ends the show at once.
TEST(WebChapters, WhileTheShowPlaysTheButtonAndPointerGoUntilTheMouseMovesAndAClickEndsIt)
{
    ASSERT_TRUE(file_exists(WEB_PAGE)) << WEB_PAGE << " is missing (make web writes it)";
    const std::string dir = scratch_dir("web_chapters_idle");
    const std::string look = "[document.getElementById(\"fullscreen\").hidden, getComputedStyle("
                             "document.getElementById(\"fullscreen\")).opacity, getComputedStyle("
                             "document.getElementById(\"stage\")).cursor].join(\" \")";
    const CommandResult run = browse(dir, "--screen 1280,720,1", "", 12,
                                     "1=@click:#play '5.5>" + dir + "/still.txt=" + look + "' 6=@move:300,200 '7>" +
                                         dir + "/moved.txt=" + look + "' 10=@click:#stage " + page_state_action(10.6));
    ASSERT_EQ(run.status, 0) << run.err;
    expect_no_errors(run.out);
    EXPECT_EQ(read_text(dir + "/still.txt"), "false 0 none");
    EXPECT_EQ(read_text(dir + "/moved.txt"), "false 0.45 auto");
    const std::vector<std::string> states = lines_after(run.out, "log: page state: ");
    ASSERT_EQ(states.size(), 1u) << run.out;
    EXPECT_NE(states[0].find("\"start\":true"), std::string::npos) << "the click did not end the show at once: "
                                                                   << states[0];
    // The start screen at the opening, then the show, then the start screen.
    const std::vector<int> first_positions = first_positions_after_start_screens(run.out);
    ASSERT_EQ(first_positions.size(), 2u) << run.out;
    EXPECT_GE(first_positions[0], 0) << "Play started no show\n" << run.out;
    std::filesystem::remove_all(dir);
}
