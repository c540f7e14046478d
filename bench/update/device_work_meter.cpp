#include "bench/update/device_work_meter.h"

#include "bench/update/allocation_census.h"

namespace kt73b::bench {
namespace {

thread_local double t_workStarted = 0;

}  // namespace

void DeviceWorkMeter::WorkBegins(Work work) {
    if (work == Work::kRunningModel) {
        NameThisThread(ThreadPart::kDevice);
    }
    DeviceWorkBegins();
    t_workStarted = ThisThreadCpuSeconds();
}

void DeviceWorkMeter::WorkEnds(Work) {
    const double spell = ThisThreadCpuSeconds() - t_workStarted;
    {
        std::lock_guard lock(mutex_);
        total_ += spell;
    }
    DeviceWorkEnds();
}

double DeviceWorkMeter::DeviceCpuSeconds() const {
    std::lock_guard lock(mutex_);
    return total_;
}

}  // namespace kt73b::bench
