// Draws a dialog's progress on a terminal: one line redrawn in place, with a bar fitted to the
// terminal's width; or, when the output is no terminal (a file, a pipe, a log), plain lines: one
// whenever the status line is set to another kind of text or in another step, and one at every
// further tenth of the bar.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

namespace kt73b::ui {

// What one line shows: the step counter, the status line and the progress bar as the dialog has
// them, and what the program adds after the bar (bytes, time left).
struct ProgressLine {
    std::string step;
    std::string status;
    // Counts the status line's sets: the dialog sets the step and the bar before the status, so
    // plain lines wait for the status to be set, and a text set again in a new step still counts.
    unsigned statusSets = 0;
    int low = 0;
    int high = 100;
    int position = 0;
    std::string figures;
};

class ProgressPrinter {
  public:
    using Sink = std::function<void(std::string_view)>;
    using Clock = std::chrono::steady_clock;

    // `width` is the terminal's width in columns; it is not used for plain lines.
    ProgressPrinter(Sink out, bool terminal, int width);

    // Shows `line` as of `now`. On a terminal the line is redrawn at most every
    // kRedrawInterval unless the step or the kind of status changed; the kind of a status is its
    // text without digits.
    void Show(const ProgressLine& line, Clock::time_point now);
    // Ends the line being redrawn, so that what comes next starts on a line of its own.
    void Break();

    static constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

  private:
    void ShowOnTerminal(const ProgressLine& line, Clock::time_point now);
    void ShowPlain(const ProgressLine& line);
    void Draw();

    Sink out_;
    const bool terminal_;
    const int width_;
    std::string lastKind_;  // the step and the status's kind of the last line shown
    int lastTenth_ = -1;    // of the last plain line
    unsigned lastStatusSets_ = 0;
    std::string pending_;    // the terminal line as of the last Show, drawn or held back
    std::string drawn_;      // the terminal line on the screen
    bool lineOpen_ = false;  // a terminal line is drawn and not yet ended
    Clock::time_point lastDrawn_{};
};

// `line` as one terminal line of `width` columns: step, status, bar, percent and figures, never
// into the last column.
std::string FitProgressLine(const ProgressLine& line, int width);

// The bar's fill in percent, 0 to 100, whatever range and position it is given.
int ProgressPercent(int low, int high, int position);

}  // namespace kt73b::ui
