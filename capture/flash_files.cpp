#include "capture/flash_files.h"

#include <cstdio>

#include "flash_analysis/flash_plot.h"
#include "flash_analysis/flash_report.h"

static bool write_text(const std::string& path, const std::string& text, std::string* error)
{
    FILE* file = std::fopen(path.c_str(), "w");
    bool written = file && std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (file) written = std::fclose(file) == 0 && written;
    if (!written) *error = "cannot write " + path;
    return written;
}

bool write_flash_files(const std::string& dir, const FlashAnalysis& analysis, const FlashSummary& summary,
                       std::string* error)
{
    return write_text(dir + "/flashes.txt", flash_report_text(analysis, summary), error) &&
           write_text(dir + "/flashes.svg", flash_plot_svg(analysis), error);
}
