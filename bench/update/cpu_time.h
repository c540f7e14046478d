// CPU time of this process and of the calling thread. Totals come from the CPU-time clocks,
// which are exact; the kernel's user/system split (getrusage) is sampled at timer ticks, fine for
// a process over seconds but too coarse for a thread that runs in bursts of microseconds.
#pragma once

namespace kt73b::bench {

struct CpuTime {
    double user = 0;    // seconds
    double system = 0;  // seconds

    double Total() const { return user + system; }
};

double ProcessCpuSeconds();
double ThisThreadCpuSeconds();
// The process's user and system time as the kernel splits them.
CpuTime ProcessCpuSplit();

CpuTime operator-(const CpuTime& later, const CpuTime& earlier);

}  // namespace kt73b::bench
