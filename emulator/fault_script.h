// Faults to inject, per kind of request and per occurrence: "the 3rd write-data frame is
// answered with status 8", "every finish request is lost", "from the 2nd erase on, silence".
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

#include "emulator/clock.h"
#include "emulator/host_message.h"

namespace kt73b::emu {

enum class RequestKind : std::uint8_t { kIdentity, kUpdateMode, kErase, kWrite, kFinish };
inline constexpr std::size_t kRequestKindCount = 5;

// Empty for messages that are not requests (the host's answers, unknown messages).
std::optional<RequestKind> RequestKindOf(HostMessageKind kind);
// The name used in fault rules: identity, update-mode, erase, write, finish.
const char* RequestKindName(RequestKind kind);

// What happens to one request and its answer. Several rules may match one request; their plans
// are merged.
struct FaultPlan {
    bool ignore = false;                 // the request is lost on its way: no work, no answer
    bool drop = false;                   // the device does the work, but its answer is lost
    bool silent = false;                 // the device takes no request at all from this one on
    int copies = 1;                      // 2: the answer is sent twice
    Micros delay{0};                     // the answer leaves this much later than it would
    std::optional<Micros> late;          // ...and not before this long after the request came
    std::optional<std::uint8_t> status;  // answer this status; the request is not carried out
    std::optional<std::uint8_t> model;   // the answer carries this model byte
    std::size_t splitBytes = 0;          // the answer goes out in pieces of at most this many bytes
    std::size_t truncateBytes = 0;       // only the first this many bytes of the answer go out

    bool AnyFault() const;
    void Merge(const FaultPlan& other);
};

inline constexpr std::uint32_t kEveryOccurrence = std::numeric_limits<std::uint32_t>::max();

struct FaultRule {
    std::optional<RequestKind> kind;  // empty: requests of any kind, counted together
    std::uint32_t first = 1;          // occurrences count from 1
    std::uint32_t last = kEveryOccurrence;
    FaultPlan plan;
};

class FaultScript {
  public:
    void Add(const FaultRule& rule) { rules_.push_back(rule); }
    void Clear() { rules_.clear(); }
    bool Empty() const { return rules_.empty(); }
    const std::vector<FaultRule>& Rules() const { return rules_; }

    // The plan for the `occurrence`th request of `kind`, the `overall`th request of any kind.
    FaultPlan PlanFor(RequestKind kind, std::uint32_t occurrence, std::uint32_t overall) const;

  private:
    std::vector<FaultRule> rules_;
};

}  // namespace kt73b::emu
