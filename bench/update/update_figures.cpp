#include "bench/update/update_figures.h"

namespace kt73b::bench {
namespace {
constexpr double kKiBPerMiB = 1024.0;
}

void PrintHeading(std::FILE* out) {
    std::fprintf(out, "%-12s %-5s %8s %8s %6s %7s %7s %7s %8s %7s %6s %6s %6s\n", "setting", "ans.",
                 "wall s", "bound s", "ratio", "user s", "sys s", "dev s", "peak MiB", "own MiB",
                 "send", "recv", "ui");
}

void PrintRow(std::FILE* out, const char* setting, const char* delivery,
              const UpdateFigures& figures) {
    if (!figures.completed) {
        std::fprintf(out, "%-12s %-5s did not complete: %s\n", setting, delivery, figures.failure);
        return;
    }
    const double peak = static_cast<double>(figures.peakResidentKiB) / kKiBPerMiB;
    const double own = static_cast<double>(figures.peakResidentKiB - figures.imageKiB -
                                           figures.sharedKiB - figures.emulatorKiB) /
                       kKiBPerMiB;
    std::fprintf(
        out, "%-12s %-5s %8.2f %8.2f %6.3f %7.3f %7.3f %7.3f %8.1f %7.1f %6.2f %6.2f %6.2f\n",
        setting, delivery, figures.wallSeconds, figures.boundSeconds,
        figures.wallSeconds / figures.boundSeconds, figures.updaterUser, figures.updaterSystem,
        figures.deviceCpu, peak, own, figures.sendAllocationsPerFrame,
        figures.receiveAllocationsPerFrame, figures.uiAllocationsPerFrame);
}

}  // namespace kt73b::bench
