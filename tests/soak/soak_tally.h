// The figures of a soak: how the runs ended, what was drawn for them (faults, or where the close
// fell), how long the runs took.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "run_record.h"

namespace kt73b::soak {

class SoakTally {
  public:
    void Add(const std::vector<std::string>& effects, const RunRecord& record,
             std::chrono::steady_clock::duration took, bool kept);
    // One block of lines for the test's output.
    std::string Report(const std::string& title) const;

  private:
    std::uint64_t runs_ = 0;
    std::uint64_t broken_ = 0;  // runs with at least one violation
    std::map<std::string, std::uint64_t> ends_;
    std::map<std::string, std::uint64_t> effects_;
    std::map<std::string, std::uint64_t> messages_;
    std::chrono::steady_clock::duration total_{};
    std::chrono::steady_clock::duration longest_{};
};

}  // namespace kt73b::soak
