#include "app/instance_numbering.h"

#include <cstdio>

#include "resources/ui/ui_resources.h"

namespace kt73b {

std::string InstanceName(int number) {
    if (number == 1) {
        return res::kVersionText;
    }
    char name[64];
    std::snprintf(name, sizeof name, res::kInstanceTitleFormat, number);
    return name;
}

int ClaimInstanceNumber(os::InstanceLock& lock) {
    for (int number = 1; number <= kMaxInstances; ++number) {
        // A lock that cannot be made counts as taken, like one another copy holds.
        if (lock.TryClaim(InstanceName(number))) {
            return number;
        }
    }
    return 0;
}

std::string InstanceLimitMessage() {
    char text[96];
    std::snprintf(text, sizeof text, kInstanceLimitFormat, kMaxInstances);
    return text;
}

}  // namespace kt73b
