// The two process-wide bytes of the device protocol: the model byte of the device being updated
// (0x57 until a device reports its own) and the family code the host's identity reply carries
// (0 until a device has passed the model check).
#pragma once

#include <cstdint>

namespace kt73b {

// Written by the update worker, read by the timer's thread; single bytes, so no more than atomic
// access is needed.
std::uint8_t ModelByte();
void SetModelByte(std::uint8_t model);

std::uint8_t HostIdentityFamily();
void SetHostIdentityFamily(std::uint8_t family);

// The accepted model bytes, in the order they are compared.
inline constexpr std::uint8_t kAcceptedModels[] = {0x57, 0x58};

}  // namespace kt73b
