#include "platform/ui/terminal/progress_printer.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <utility>

namespace kt73b::ui {

namespace {

constexpr int kMinBarWidth = 10;  // narrower than this, the bar says nothing: leave it out
constexpr int kMaxBarWidth = 40;
constexpr std::string_view kClearToEnd = "\033[K";

std::string_view TrimRight(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
        text.remove_suffix(1);
    }
    return text;
}

// The figures change with every chunk; what stays is the kind of line ("Data transmit  / ").
std::string KindOf(const ProgressLine& line) {
    std::string kind = line.step + "|";
    for (const char c : TrimRight(line.status)) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            kind += c;
        }
    }
    return kind;
}

std::string Head(const ProgressLine& line) {
    std::string head = line.step.empty() ? std::string() : "[" + line.step + "] ";
    head += TrimRight(line.status);
    return head;
}

// Built by appending into one buffer: GCC 12 at -O3 reports a false -Wrestrict overlap inside
// the equivalent chain of std::string operator+ calls.
std::string Bar(int width, int percent) {
    const auto filled = static_cast<std::size_t>(width * percent / 100);
    const auto total = static_cast<std::size_t>(width);
    std::string bar;
    bar.reserve(total + 2);
    bar += '[';
    bar.append(filled, '#');
    bar.append(total - filled, '.');
    bar += ']';
    return bar;
}

}  // namespace

int ProgressPercent(int low, int high, int position) {
    if (high <= low) {
        return 0;
    }
    const std::int64_t done = std::clamp(position, low, high) - static_cast<std::int64_t>(low);
    return static_cast<int>(done * 100 / (static_cast<std::int64_t>(high) - low));
}

ProgressPrinter::ProgressPrinter(Sink out, bool terminal, int width)
    : out_(std::move(out)), terminal_(terminal), width_(width) {}

void ProgressPrinter::Show(const ProgressLine& line, Clock::time_point now) {
    if (terminal_) {
        ShowOnTerminal(line, now);
    } else {
        ShowPlain(line);
    }
}

void ProgressPrinter::ShowOnTerminal(const ProgressLine& line, Clock::time_point now) {
    if (TrimRight(line.status).empty() && line.step.empty()) {
        return;
    }
    std::string kind = KindOf(line);
    const bool changedKind = kind != lastKind_;
    pending_ = FitProgressLine(line, width_);
    if (!changedKind && now - lastDrawn_ < kRedrawInterval) {
        return;
    }
    lastKind_ = std::move(kind);
    lastDrawn_ = now;
    Draw();
}

void ProgressPrinter::Draw() {
    if (pending_ == drawn_ && lineOpen_) {
        return;
    }
    out_("\r" + pending_ + std::string(kClearToEnd));
    drawn_ = pending_;
    lineOpen_ = true;
}

void ProgressPrinter::ShowPlain(const ProgressLine& line) {
    if (line.statusSets == lastStatusSets_) {
        return;
    }
    lastStatusSets_ = line.statusSets;
    if (TrimRight(line.status).empty()) {
        return;
    }
    std::string kind = KindOf(line);
    const int tenth = ProgressPercent(line.low, line.high, line.position) / 10;
    if (kind == lastKind_ && tenth == lastTenth_) {
        return;
    }
    lastKind_ = std::move(kind);
    lastTenth_ = tenth;
    std::string text = Head(line);
    if (!line.figures.empty()) {
        text += "  (" + line.figures + ")";
    }
    out_(text + "\n");
}

void ProgressPrinter::Break() {
    if (!terminal_ || pending_.empty()) {
        return;
    }
    Draw();  // the last state, which the redraw interval may have held back
    out_("\n");
    lineOpen_ = false;
    pending_.clear();
    drawn_.clear();
    lastKind_.clear();
}

// Never into the last column: a terminal that wraps there would scroll at every redraw. What
// gives way on a narrow terminal: first the bar's length, then the status text (its figures are
// the bar's), then the end of the line.
std::string FitProgressLine(const ProgressLine& line, int width) {
    const int room = std::max(width - 1, 0);
    const int percent = ProgressPercent(line.low, line.high, line.position);
    std::string tail = std::to_string(percent) + "%";
    tail.insert(0, 4 - std::min<std::size_t>(tail.size(), 4), ' ');
    if (!line.figures.empty()) {
        tail += "  " + line.figures;
    }
    const std::string step = line.step.empty() ? std::string() : "[" + line.step + "] ";
    std::string head = Head(line) + "  ";
    auto barRoom = [&] { return room - static_cast<int>(head.size() + tail.size()) - 3; };
    if (barRoom() < kMinBarWidth) {
        head = step;
    }
    std::string text = head;
    if (barRoom() >= kMinBarWidth) {
        text += Bar(std::min(barRoom(), kMaxBarWidth), percent) + " ";
    }
    text += tail;
    if (static_cast<int>(text.size()) > room) {
        text.resize(static_cast<std::size_t>(room));
    }
    return text;
}

}  // namespace kt73b::ui
