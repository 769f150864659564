// The flash analysis written out as a plain text report: the verdicts, each
// section's worst second in both forms, extended flashing, every failing
// second. Times are from the run's first frame, as in a video of the run.
#pragma once
#include <string>

#include "flash_analysis/flash_frames.h"
#include "flash_analysis/flash_summary.h"

// "2:28.45": minutes, seconds and hundredths.
std::string flash_time_text(double seconds);
// A form's verdict and worst second, for a summary line:
// "WCAG fails: 4.5 flashes in the second from 1:27.35 (position 1104)".
std::string flash_verdict_text(const FlashAnalysis& analysis, const FlashSummary& summary, int form);
std::string flash_report_text(const FlashAnalysis& analysis, const FlashSummary& summary);
