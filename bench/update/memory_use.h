// This process's resident memory, as the kernel counts it.
#pragma once

namespace kt73b::bench {

// The largest resident set this process has had, in KiB.
long PeakResidentKiB();

// Resident shared memory now (JACK's server segments, which every client maps), in KiB.
long SharedResidentKiB();

}  // namespace kt73b::bench
