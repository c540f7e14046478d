// The application object: claims an instance number, runs the main dialog modally, and ends.
// One per process; the dialog reaches it for the instance number.
#pragma once

#include <string>

#include "app/update_timings.h"
#include "platform/os/instance_lock.h"

namespace kt73b {

class CTn8UpdatorApp {
  public:
    // `appName` is the executable's file name without extension: the caption of the one box
    // the application shows itself, the refusal of a twenty-first copy.
    explicit CTn8UpdatorApp(std::string appName, UpdateTimings timings = {});

    // Claims the lowest free number and runs the dialog through the current UI back end; refuses
    // a twenty-first copy. Always returns 0: the process ends when the dialog has closed.
    int InitInstance();
    int GetInstanceNumber() const { return instanceNumber_; }

  private:
    const std::string appName_;
    const UpdateTimings timings_;
    os::InstanceLock lock_;  // held for the life of the process
    int instanceNumber_ = 0;
};

}  // namespace kt73b
