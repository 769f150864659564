// The whole show's flashes, pinned: periodica-capture --flashes at 256x192
// must find each section's worst second, in both forms, within half a flash
// of the figures README.md's "Photosensitivity" table gives, and the page's
// notice must name exactly the chapters that fail a form there. A change to
// an effect that adds flashes fails here until both are brought up to date.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "app/sections.h"
#include "tests/test_files.h"

struct Figures {
    double wcag = -1, broadcast = -1;
};

// "| Rings and title | 4.0 | 3.0 | ..." rows of the table under "## Photosensitivity".
static std::map<std::string, Figures> readme_figures(const std::string& readme)
{
    std::map<std::string, Figures> figures;
    const size_t section = readme.find("\n## Photosensitivity");
    if (section == std::string::npos) return figures;
    std::istringstream lines(readme.substr(section + 1, readme.find("\n## ", section + 1) - section));
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("| ", 0) != 0) continue;
        std::vector<std::string> cells;
        for (size_t start = 1, bar; (bar = line.find('|', start)) != std::string::npos; start = bar + 1)
            cells.push_back(line.substr(start + 1, bar - start - 2));
        if (cells.size() < 3) continue;
        for (const ShowSection& s : kSections)
            if (cells[0] == s.name) figures[s.name] = {std::atof(cells[1].c_str()), std::atof(cells[2].c_str())};
    }
    return figures;
}

// "  Rings and title      WCAG  4.0 FAIL   broadcast  3.0 pass" lines of the report.
static std::map<std::string, Figures> report_figures(const std::string& report)
{
    std::map<std::string, Figures> figures;
    std::istringstream lines(report);
    for (std::string line; std::getline(lines, line);)
        for (const ShowSection& s : kSections) {
            const std::string lead = std::string("  ") + s.name + " ";
            const size_t wcag = line.find(" WCAG "), broadcast = line.find(" broadcast ");
            if (line.rfind(lead, 0) != 0 || wcag == std::string::npos || broadcast == std::string::npos) continue;
            figures[s.name] = {std::atof(line.c_str() + wcag + 6), std::atof(line.c_str() + broadcast + 11)};
        }
    return figures;
}

// The chapters the start screen's notice names: <span class="flashing-chapter">NAME</span>.
static std::set<std::string> notice_chapters(const std::string& page)
{
    std::set<std::string> names;
    const std::string mark = "<span class=\"flashing-chapter\">";
    for (size_t at = page.find(mark); at != std::string::npos; at = page.find(mark, at + 1)) {
        const size_t start = at + mark.size();
        names.insert(page.substr(start, page.find('<', start) - start));
    }
    return names;
}

TEST(FlashShow, EachSectionsWorstSecondIsWhatTheReadmeAndTheNoticeSay)
{
    const std::map<std::string, Figures> pinned = readme_figures(read_text(README_PATH));
    ASSERT_EQ(pinned.size(), static_cast<size_t>(kSectionCount)) << "README.md's Photosensitivity table";

    const std::string dir = scratch_dir("flash_show");
    const CommandResult run = run_logged(dir, "'" CAPTURE_BINARY "' --data '" CAPTURE_DATA_DIR "' --out '" + dir +
                                                  "/out' --flashes --width 256 --height 192");
    const std::string report = read_text(dir + "/out/flashes.txt");
    ASSERT_FALSE(report.empty()) << run.err;
    EXPECT_EQ(run.out.rfind(report, 0), 0u) << "the report is printed as written";
    EXPECT_NE(read_text(dir + "/out/flashes.svg").find("</svg>"), std::string::npos);
    const std::map<std::string, Figures> measured = report_figures(report);
    ASSERT_EQ(measured.size(), static_cast<size_t>(kSectionCount)) << report;

    std::set<std::string> failing;
    bool any_fails = false;
    for (const ShowSection& s : kSections) {
        const Figures readme = pinned.at(s.name), now = measured.at(s.name);
        EXPECT_NEAR(now.wcag, readme.wcag, 0.5) << s.name << ": WCAG form\n" << report;
        EXPECT_NEAR(now.broadcast, readme.broadcast, 0.5) << s.name << ": broadcast form";
        if (readme.wcag > 3 || readme.broadcast > 3) failing.insert(s.name);
        any_fails = any_fails || now.wcag > 3 || now.broadcast > 3;
    }
    EXPECT_EQ(run.status, any_fails ? 3 : 0) << run.err;
    EXPECT_EQ(notice_chapters(read_text(PAGE_PATH)), failing) << "the chapters web/page.html's notice names";
}
