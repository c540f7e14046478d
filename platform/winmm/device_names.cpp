#include "platform/winmm/device_names.h"

#include <map>

namespace kt73b::winmm {
namespace {

bool IsUtf8Continuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

}  // namespace

std::string CapName(std::string_view name, std::size_t max_bytes) {
    if (name.size() <= max_bytes) {
        return std::string(name);
    }
    std::size_t cut = max_bytes;
    while (cut > 0 && IsUtf8Continuation(name[cut])) {
        --cut;
    }
    return std::string(name.substr(0, cut));
}

std::vector<std::string> NameDevices(const std::vector<std::string>& base_names) {
    std::vector<std::string> names;
    names.reserve(base_names.size());
    std::map<std::string, int> seen;
    for (const auto& base : base_names) {
        std::string capped = CapName(base);
        const int count = ++seen[capped];
        if (count == 1) {
            names.push_back(std::move(capped));
            continue;
        }
        const std::string suffix = " (" + std::to_string(count) + ")";
        names.push_back(CapName(capped, kMaxDeviceNameBytes - suffix.size()) + suffix);
    }
    return names;
}

}  // namespace kt73b::winmm
