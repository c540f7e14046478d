// Instance numbers 1 to 20: each running copy holds the lock named after its number, the lowest
// free one, and uses the same text as its window title.
#pragma once

#include <string>

#include "platform/os/instance_lock.h"

namespace kt73b {

inline constexpr int kMaxInstances = 20;
inline constexpr const char* kInstanceLimitFormat =
    "It is forbidden to launch more than %d instance of this application.";

// "Velk KT-73B System v3.00" for 1, "Velk KT-73B System v3.00 (n)" from 2 on.
std::string InstanceName(int number);

// Claims the lowest free number into `lock`; 0 when all twenty are taken.
int ClaimInstanceNumber(os::InstanceLock& lock);

// The refusal shown to a twenty-first copy.
std::string InstanceLimitMessage();

}  // namespace kt73b
