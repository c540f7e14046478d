// --all's progress: one line per device. On a terminal the lines are redrawn in place, each with
// its step, status, bar, percent and time left; otherwise each device prints plain lines of its
// own, prefixed with its instance number. Fed the events the devices' copies report as JSON.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <nlohmann/json_fwd.hpp>
#include <string>
#include <string_view>

#include "app/cli/update_progress.h"
#include "platform/ui/terminal/progress_printer.h"

namespace kt73b::cli {

class DeviceBoard {
  public:
    using Sink = std::function<void(std::string_view)>;
    using Clock = UpdateProgress::Clock;

    DeviceBoard(Sink out, bool terminal, int width);

    // Devices are shown in the order they are added.
    void Add(int device);
    // One event object of `device` ("step", "progress", "status", and "failed" that ends the
    // run; others are ignored).
    void Apply(int device, const nlohmann::json& event, Clock::time_point now);
    // Draws the terminal lines once more as they are, so the last state stays on the screen.
    void Finish();

    int StepOf(int device) const;
    const std::string& StatusOf(int device) const;

  private:
    struct Row {
        explicit Row(ui::ProgressPrinter plain) : printer(std::move(plain)) {}
        ui::ProgressLine line;
        UpdateProgress progress;
        int step = 0;
        ui::ProgressPrinter printer;  // plain lines, when not on a terminal
    };

    void Draw(Clock::time_point now);

    Sink out_;
    const bool terminal_;
    const int width_;
    std::map<int, std::unique_ptr<Row>> rows_;
    int linesDrawn_ = 0;
    Clock::time_point lastDrawn_{};
};

}  // namespace kt73b::cli
