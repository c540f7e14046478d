#include "app/cli/device_board.h"

#include <nlohmann/json.hpp>

#include "engine/step_table.h"

namespace kt73b::cli {

namespace {

std::string Label(int device) {
    std::string label = std::to_string(device);
    return std::string(label.size() < 2 ? 1 : 0, ' ') + label + "  ";
}

}  // namespace

DeviceBoard::DeviceBoard(Sink out, bool terminal, int width)
    : out_(std::move(out)), terminal_(terminal), width_(width) {}

void DeviceBoard::Add(int device) {
    auto prefixed = [this, device](std::string_view text) {
        out_("KT-73B " + std::to_string(device) + ": " + std::string(text));
    };
    rows_.emplace(device, std::make_unique<Row>(ui::ProgressPrinter(prefixed, false, width_)));
}

void DeviceBoard::Apply(int device, const nlohmann::json& event, Clock::time_point now) {
    const auto found = rows_.find(device);
    if (found == rows_.end() || !event.is_object()) {
        return;
    }
    Row& row = *found->second;
    const std::string kind = event.value("event", "");
    if (kind == "step") {
        row.step = event.value("step", 0);
        row.line.step = std::to_string(row.step) + "/" + std::to_string(kStepCount);
    } else if (kind == "progress") {
        row.line.position = event.value("position", 0);
        row.line.high = event.value("high", 0);
    } else if (kind == "status" || (kind == "failed" && event.value("ends_run", false))) {
        // A failure's box text stays on its line: the dialog has no status text for it.
        row.line.status = event.value("text", "");
        ++row.line.statusSets;
    } else {
        return;
    }
    row.progress.Observe(row.step, row.line.high, row.line.position, now);
    row.line.figures = FormatFigures(row.progress.Figures(now));
    if (!terminal_) {
        row.printer.Show(row.line, now);
    } else if (kind != "progress" || now - lastDrawn_ >= ui::ProgressPrinter::kRedrawInterval) {
        Draw(now);
    }
}

void DeviceBoard::Finish() {
    if (terminal_) {
        Draw(Clock::now());
    }
}

// Back up over the lines drawn last, then each device's line, cleared to its end.
void DeviceBoard::Draw(Clock::time_point now) {
    lastDrawn_ = now;
    std::string text;
    if (linesDrawn_ > 0) {
        text += "\033[" + std::to_string(linesDrawn_) + "A";
    }
    for (const auto& [device, row] : rows_) {
        const std::string label = Label(device);
        const int room = width_ - static_cast<int>(label.size());
        text += "\r" + label + ui::FitProgressLine(row->line, room) + "\033[K\n";
    }
    linesDrawn_ = static_cast<int>(rows_.size());
    out_(text);
}

int DeviceBoard::StepOf(int device) const {
    const auto found = rows_.find(device);
    return found != rows_.end() ? found->second->step : 0;
}

const std::string& DeviceBoard::StatusOf(int device) const {
    static const std::string none;
    const auto found = rows_.find(device);
    return found != rows_.end() ? found->second->line.status : none;
}

}  // namespace kt73b::cli
