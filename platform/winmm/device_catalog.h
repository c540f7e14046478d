// The two device lists of the layer: every provider's ports, in the fixed provider order ALSA,
// JACK, loopback, named as device_names.h says. A list is taken afresh by the GetNumDevs call
// of its direction; devices are then addressed by their position in the last list taken.
#pragma once

#include <string>
#include <vector>

#include "platform/winmm/mmsystem_api.h"
#include "platform/winmm/provider.h"

namespace kt73b::winmm {

enum class Direction { kInput, kOutput };

struct CatalogEntry {
    Provider* provider = nullptr;
    std::string key;
    std::string name;
};

// Takes a fresh list of `direction` and returns its length.
UINT RefreshDevices(Direction direction);

// Entry `index` of the last list of `direction` (taken now if none was); false when there is no
// such device.
bool FindDevice(Direction direction, UINT index, CatalogEntry* entry);

// The providers in list order; tests may put their own in place of the process's.
std::vector<Provider*> DefaultProviders();
void SetProvidersForTesting(std::vector<Provider*> providers);

}  // namespace kt73b::winmm
