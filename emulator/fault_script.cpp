#include "emulator/fault_script.h"

#include <algorithm>

namespace kt73b::emu {

std::optional<RequestKind> RequestKindOf(HostMessageKind kind) {
    switch (kind) {
        case HostMessageKind::kIdentityRequest:
            return RequestKind::kIdentity;
        case HostMessageKind::kUpdateModeRequest:
            return RequestKind::kUpdateMode;
        case HostMessageKind::kEraseRequest:
            return RequestKind::kErase;
        case HostMessageKind::kWriteData:
            return RequestKind::kWrite;
        case HostMessageKind::kFinishRequest:
            return RequestKind::kFinish;
        default:
            return std::nullopt;
    }
}

const char* RequestKindName(RequestKind kind) {
    switch (kind) {
        case RequestKind::kIdentity:
            return "identity";
        case RequestKind::kUpdateMode:
            return "update-mode";
        case RequestKind::kErase:
            return "erase";
        case RequestKind::kWrite:
            return "write";
        case RequestKind::kFinish:
            return "finish";
    }
    return "?";
}

bool FaultPlan::AnyFault() const {
    return ignore || drop || silent || copies != 1 || delay != Micros{0} || late || status ||
           model || splitBytes != 0 || truncateBytes != 0;
}

void FaultPlan::Merge(const FaultPlan& other) {
    ignore = ignore || other.ignore;
    drop = drop || other.drop;
    silent = silent || other.silent;
    copies = std::max(copies, other.copies);
    delay += other.delay;
    // Where two rules set one value, the later rule wins.
    if (other.late) {
        late = other.late;
    }
    if (other.status) {
        status = other.status;
    }
    if (other.model) {
        model = other.model;
    }
    if (other.splitBytes != 0) {
        splitBytes = other.splitBytes;
    }
    if (other.truncateBytes != 0) {
        truncateBytes = other.truncateBytes;
    }
}

FaultPlan FaultScript::PlanFor(RequestKind kind, std::uint32_t occurrence,
                               std::uint32_t overall) const {
    FaultPlan plan;
    for (const FaultRule& rule : rules_) {
        const std::uint32_t count = rule.kind ? occurrence : overall;
        if (rule.kind && *rule.kind != kind) {
            continue;
        }
        if (count >= rule.first && count <= rule.last) {
            plan.Merge(rule.plan);
        }
    }
    return plan;
}

}  // namespace kt73b::emu
