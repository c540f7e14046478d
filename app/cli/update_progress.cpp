#include "app/cli/update_progress.h"

#include <algorithm>
#include <cstdio>

#include "engine/protocol_constants.h"
#include "engine/step_table.h"

namespace kt73b::cli {

namespace {

using std::chrono::duration;

constexpr std::uint64_t kKiB = 1024;

const StepRow* RowOf(int step) {
    if (step < 1 || step > static_cast<int>(kStepTable.size())) {
        return nullptr;
    }
    return &kStepTable[static_cast<std::size_t>(step - 1)];
}

std::uint64_t TotalWriteBytes() {
    std::uint64_t total = 0;
    for (const StepRow& row : kStepTable) {
        if (row.type == kStepWrite) {
            total += row.size;
        }
    }
    return total;
}

// Seconds per byte as measured; empty while nothing has been measured.
std::optional<double> SecondsPerByte(UpdateProgress::Clock::duration time, std::uint64_t bytes) {
    if (bytes == 0) {
        return std::nullopt;
    }
    return duration<double>(time).count() / static_cast<double>(bytes);
}

}  // namespace

void UpdateProgress::Observe(int step, int rangeHigh, int position, Clock::time_point now) {
    if (step != step_) {
        EndStep(now);
        step_ = step;
        stepStart_ = now;
    }
    rangeHigh_ = rangeHigh;
    position_ = position;
}

// The bar counts bytes only once the write step has set its range to the region's size, and in
// whole chunks: until the first chunk is acknowledged it still holds the erase step's position.
std::uint64_t UpdateProgress::WrittenInCurrentStep() const {
    const StepRow* row = RowOf(step_);
    if (row == nullptr || row->type != kStepWrite || rangeHigh_ != static_cast<int>(row->size)) {
        return 0;
    }
    const auto position = static_cast<std::uint64_t>(std::clamp(position_, 0, rangeHigh_));
    return position - position % kWriteChunkBytes;
}

void UpdateProgress::EndStep(Clock::time_point now) {
    const StepRow* row = RowOf(step_);
    if (row == nullptr) {
        return;
    }
    const auto spent = now - stepStart_;
    if (row->type == kStepErase) {
        erase_.time += spent;
        erase_.bytes += row->size;
    } else if (row->type == kStepWrite) {
        write_.time += spent;
        write_.bytes += row->size;
        writtenBefore_ += row->size;
    }
}

ProgressFigures UpdateProgress::Figures(Clock::time_point now) const {
    ProgressFigures figures;
    figures.total = TotalWriteBytes();
    const std::uint64_t writtenNow = WrittenInCurrentStep();
    figures.written = std::min(writtenBefore_ + writtenNow, figures.total);

    // What remains of each kind of work, and the current step's share of the measurements.
    std::uint64_t eraseLeft = 0;
    std::uint64_t writeLeft = 0;
    for (int step = std::max(step_, 1); step <= static_cast<int>(kStepTable.size()); ++step) {
        const StepRow& row = *RowOf(step);
        (row.type == kStepErase ? eraseLeft : writeLeft) += row.size;
    }
    Rate write = write_;
    const StepRow* current = RowOf(step_);
    double currentEraseSpent = 0;
    if (current != nullptr && current->type == kStepWrite) {
        write.time += now - stepStart_;
        write.bytes += writtenNow;
        writeLeft -= writtenNow;
    } else if (current != nullptr && current->type == kStepErase) {
        currentEraseSpent = duration<double>(now - stepStart_).count();
    }
    const auto eraseRate = SecondsPerByte(erase_.time, erase_.bytes);
    const auto writeRate = SecondsPerByte(write.time, write.bytes);
    if ((eraseLeft > 0 && !eraseRate) || (writeLeft > 0 && !writeRate) || step_ == 0) {
        return figures;
    }
    double seconds = 0;
    if (eraseLeft > 0) {
        seconds += std::max(static_cast<double>(eraseLeft) * *eraseRate - currentEraseSpent, 0.0);
    }
    if (writeLeft > 0) {
        seconds += static_cast<double>(writeLeft) * *writeRate;
    }
    figures.left = std::chrono::seconds(static_cast<long long>(seconds + 0.5));
    return figures;
}

std::string FormatFigures(const ProgressFigures& figures) {
    char text[96];
    const auto written = static_cast<unsigned long long>(figures.written / kKiB);
    const auto total = static_cast<unsigned long long>(figures.total / kKiB);
    if (!figures.left || figures.written == figures.total) {
        std::snprintf(text, sizeof text, "%llu/%llu KiB", written, total);
    } else {
        const auto seconds = static_cast<long long>(figures.left->count());
        std::snprintf(text, sizeof text, "%llu/%llu KiB, %lld:%02lld left", written, total,
                      seconds / 60, seconds % 60);
    }
    return text;
}

}  // namespace kt73b::cli
