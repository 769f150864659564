#include "capture/flash_run.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "capture/capture_run.h"
#include "capture/flash_files.h"
#include "flash_analysis/flash_frames.h"
#include "flash_analysis/flash_report.h"
#include "flash_analysis/flash_summary.h"

static bool take_frame(void* context, const uint8_t* rgba, int32_t position, std::string*)
{
    flash_take_frame(static_cast<FlashAnalysis*>(context), rgba, 4, position);
    return true;
}

int run_flash_check(const CaptureOptions& options)
{
    // The capture loop writes the span's sound as it goes; it goes into a
    // work directory that is removed again.
    std::string work = options.out_dir + "/.periodica-flashes-XXXXXX";
    if (!mkdtemp(work.data())) {
        std::fprintf(stderr, "periodica-capture: cannot make a work directory in %s\n", options.out_dir.c_str());
        return 1;
    }
    FlashAnalysis analysis;
    flash_start(&analysis, flash_geometry_of_picture(options.width, options.height), options.fps);
    CaptureOptions render = options;
    render.out_dir = work;
    CaptureSummary drawn;
    const FrameSink sink{take_frame, &analysis};
    const int status = run_capture(render, &drawn, &sink);
    std::remove((work + "/sound.wav").c_str());
    rmdir(work.c_str());
    if (status != 0) return 1;

    const FlashSummary summary = summarise_flashes(analysis.windows, options.fps);
    std::string error;
    if (!write_flash_files(options.out_dir, analysis, summary, &error)) {
        std::fprintf(stderr, "periodica-capture: %s\n", error.c_str());
        return 1;
    }
    std::fputs(flash_report_text(analysis, summary).c_str(), stdout);
    std::printf("periodica-capture: wrote %s/flashes.txt and flashes.svg\n", options.out_dir.c_str());
    if (summary.passes[kWcagForm] && summary.passes[kBroadcastForm]) return 0;
    std::fprintf(stderr, "periodica-capture: the frames flash more than 3 times a second: %s; %s\n",
                 flash_verdict_text(analysis, summary, kWcagForm).c_str(),
                 flash_verdict_text(analysis, summary, kBroadcastForm).c_str());
    return 3;
}
