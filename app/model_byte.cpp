#include "app/model_byte.h"

#include <atomic>

#include "engine/protocol_constants.h"

namespace kt73b {

namespace {
std::atomic<std::uint8_t> g_model{kInitialModelByte};
std::atomic<std::uint8_t> g_family{0};
}  // namespace

std::uint8_t ModelByte() {
    return g_model.load(std::memory_order_relaxed);
}
void SetModelByte(std::uint8_t model) {
    g_model.store(model, std::memory_order_relaxed);
}

std::uint8_t HostIdentityFamily() {
    return g_family.load(std::memory_order_relaxed);
}
void SetHostIdentityFamily(std::uint8_t family) {
    g_family.store(family, std::memory_order_relaxed);
}

}  // namespace kt73b
