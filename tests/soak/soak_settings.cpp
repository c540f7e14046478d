#include "soak_settings.h"

#include <cstdlib>

namespace kt73b::soak {

namespace {

std::uint64_t ReadNumber(const char* name, std::uint64_t fallback) {
    const char* text = std::getenv(name);
    if (text == nullptr || *text == '\0') {
        return fallback;
    }
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text, &end, 0);  // decimal or 0x...
    return end != nullptr && *end == '\0' ? value : fallback;
}

}  // namespace

SoakSettings ReadSoakSettings(std::uint64_t defaultRuns) {
    return {ReadNumber("KT73B_SOAK_RUNS", defaultRuns), ReadNumber("KT73B_SOAK_SEED", 1)};
}

bool InShard(std::uint64_t run, int shard, int shards) {
    return run % static_cast<std::uint64_t>(shards) == static_cast<std::uint64_t>(shard);
}

std::string RerunHint(std::uint64_t seed, const std::string& suite) {
    return "run it again alone: KT73B_SOAK_RUNS=1 KT73B_SOAK_SEED=" + std::to_string(seed) +
           " <this test program> --gtest_filter='" + suite + "*'";
}

}  // namespace kt73b::soak
