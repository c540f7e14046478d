// How many runs a soak makes and from which seed, read from the environment so that a failing
// seed can be run again alone:
//   KT73B_SOAK_RUNS=1 KT73B_SOAK_SEED=<seed> <test program> --gtest_filter=<suite>*
#pragma once

#include <cstdint>
#include <string>

namespace kt73b::soak {

struct SoakSettings {
    std::uint64_t runs;
    std::uint64_t firstSeed;  // run i draws with seed firstSeed + i
};

// `defaultRuns` when KT73B_SOAK_RUNS is unset; seeds from 1 when KT73B_SOAK_SEED is unset.
SoakSettings ReadSoakSettings(std::uint64_t defaultRuns);

// The runs of one shard: run i belongs to shard i % shards.
bool InShard(std::uint64_t run, int shard, int shards);

// How to run one seed again, for the message of a failing run.
std::string RerunHint(std::uint64_t seed, const std::string& suite);

}  // namespace kt73b::soak
