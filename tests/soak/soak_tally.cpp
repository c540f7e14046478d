#include "soak_tally.h"

#include <algorithm>
#include <sstream>

namespace kt73b::soak {

void SoakTally::Add(const std::vector<std::string>& effects, const RunRecord& record,
                    std::chrono::steady_clock::duration took, bool kept) {
    ++runs_;
    broken_ += kept ? 0 : 1;
    ++ends_[RunEndName(record.end)];
    for (const auto& effect : effects) {
        ++effects_[effect];
    }
    if (effects.empty()) {
        ++effects_["(none)"];
    }
    for (const auto& box : record.boxes) {
        ++messages_[box];
    }
    total_ += took;
    longest_ = std::max(longest_, took);
}

std::string SoakTally::Report(const std::string& title) const {
    using std::chrono::duration;
    std::ostringstream out;
    const double seconds = duration<double>(total_).count();
    out << title << ": " << runs_ << " runs in " << seconds << " s (mean "
        << (runs_ == 0 ? 0.0 : seconds / static_cast<double>(runs_)) << " s, longest "
        << duration<double>(longest_).count() << " s), " << broken_ << " broke the promise\n";
    out << "  ends:";
    for (const auto& [name, count] : ends_) {
        out << " " << name << " " << count << ";";
    }
    out << "\n  messages:";
    for (const auto& [text, count] : messages_) {
        out << " \"" << text << "\" " << count << ";";
    }
    out << "\n  drawn:";
    for (const auto& [name, count] : effects_) {
        out << " " << name << " " << count << ";";
    }
    out << "\n";
    return out.str();
}

}  // namespace kt73b::soak
