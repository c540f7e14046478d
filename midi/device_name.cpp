#include "midi/device_name.h"

#include <algorithm>
#include <cstring>

namespace kt73b {

void CopyDeviceName(const char* capabilities_name, char* destination) {
    std::size_t length = 0;
    if (capabilities_name != nullptr) {
        // A driver's name need not be terminated within its array: never read past it.
        const auto* end = std::find(capabilities_name, capabilities_name + MAXPNAMELEN, '\0');
        length = std::min<std::size_t>(static_cast<std::size_t>(end - capabilities_name),
                                       kDeviceNameBytes - 1);
        std::memcpy(destination, capabilities_name, length);
    }
    destination[length] = '\0';
}

}  // namespace kt73b
