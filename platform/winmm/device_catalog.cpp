#include "platform/winmm/device_catalog.h"

#include <array>
#include <mutex>

#include "platform/winmm/device_names.h"

namespace kt73b::winmm {
namespace {

struct Catalog {
    std::mutex mutex;
    std::vector<Provider*> providers = DefaultProviders();  // under mutex
    std::array<std::vector<CatalogEntry>, 2> lists;         // under mutex
    std::array<bool, 2> taken{false, false};                // under mutex
};

// Never destroyed: handles may still be in use while static objects go away at exit.
Catalog& TheCatalog() {
    static auto* catalog = new Catalog;
    return *catalog;
}

std::size_t Slot(Direction direction) {
    return direction == Direction::kInput ? 0 : 1;
}

void TakeList(Catalog& catalog, Direction direction) {
    std::vector<CatalogEntry> entries;
    std::vector<std::string> base_names;
    for (Provider* provider : catalog.providers) {
        auto ports =
            direction == Direction::kInput ? provider->ListInputs() : provider->ListOutputs();
        for (auto& port : ports) {
            base_names.push_back(port.name);
            entries.push_back(CatalogEntry{provider, std::move(port.key), {}});
        }
    }
    const auto names = NameDevices(base_names);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        entries[i].name = names[i];
    }
    catalog.lists[Slot(direction)] = std::move(entries);
    catalog.taken[Slot(direction)] = true;
}

}  // namespace

void SetProvidersForTesting(std::vector<Provider*> providers) {
    auto& catalog = TheCatalog();
    std::lock_guard lock(catalog.mutex);
    catalog.providers = std::move(providers);
    catalog.taken = {false, false};
}

UINT RefreshDevices(Direction direction) {
    auto& catalog = TheCatalog();
    std::lock_guard lock(catalog.mutex);
    TakeList(catalog, direction);
    return static_cast<UINT>(catalog.lists[Slot(direction)].size());
}

bool FindDevice(Direction direction, UINT index, CatalogEntry* entry) {
    auto& catalog = TheCatalog();
    std::lock_guard lock(catalog.mutex);
    if (!catalog.taken[Slot(direction)]) {
        TakeList(catalog, direction);
    }
    const auto& list = catalog.lists[Slot(direction)];
    if (index >= list.size()) {
        return false;
    }
    *entry = list[index];
    return true;
}

}  // namespace kt73b::winmm
