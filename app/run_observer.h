// What a run reports as it goes: the dialog's controls show it, and the command line, the soak's
// judge and the benchmark observe it here instead of reading controls or message boxes.
#pragma once

#include <cstdint>
#include <string_view>

#include "app/failure_table.h"

namespace kt73b {

// Called on the dialog's thread, in the run's order, after the controls show the same; never
// once the window is gone.
class RunObserver {
  public:
    virtual void StepStarted(int step) { (void)step; }  // 0 for the handshake, then 1 to 6
    // The progress bar: position of high (erase steps 1 then 10 of 10; write steps the bytes
    // acknowledged of the region).
    virtual void ProgressMoved(std::uint32_t position, std::uint32_t high) {
        (void)position;
        (void)high;
    }
    virtual void StatusTextSet(std::string_view text) { (void)text; }
    // After the log line and the message box; a row that ends the run ends it here.
    virtual void Failed(FailureKind kind) { (void)kind; }
    virtual void Completed() {}

  protected:
    ~RunObserver() = default;
};

}  // namespace kt73b
