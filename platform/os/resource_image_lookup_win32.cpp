// The image lookup on Windows: the images are resources of type "BIN" in the program's own
// module, found by their numeric id. A loaded resource stays mapped for the life of the process,
// so nothing is copied or released.
#include <windows.h>

#include <cstdint>
#include <span>

#include "engine/image_set.h"

namespace kt73b {

std::span<const std::uint8_t> LookupBuiltInImage(std::uint32_t id) {
    HMODULE self = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(self, MAKEINTRESOURCEA(id), "BIN");
    if (found == nullptr) {
        return {};
    }
    HGLOBAL loaded = LoadResource(self, found);
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes == nullptr) {
        return {};
    }
    return {static_cast<const std::uint8_t*>(bytes), SizeofResource(self, found)};
}

}  // namespace kt73b
