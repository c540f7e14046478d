#include "platform/ui/backend.h"

#include <atomic>

namespace kt73b::ui {

namespace {
std::atomic<Backend*> g_backend{nullptr};
}

void SetBackend(Backend* backend) {
    g_backend.store(backend, std::memory_order_release);
}
Backend* CurrentBackend() {
    return g_backend.load(std::memory_order_acquire);
}

}  // namespace kt73b::ui
