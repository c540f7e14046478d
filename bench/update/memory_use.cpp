#include "bench/update/memory_use.h"

#include <sys/resource.h>

#include <fstream>
#include <string>

namespace kt73b::bench {

long PeakResidentKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

long SharedResidentKiB() {
    std::ifstream status("/proc/self/status");
    const std::string field = "RssShmem:";
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with(field)) {
            return std::stol(line.substr(field.size()));
        }
    }
    return 0;
}

}  // namespace kt73b::bench
