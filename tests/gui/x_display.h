// An X display for the GUI tests: the one in DISPLAY when there is one, otherwise an Xvfb server
// of the test's own, ended when the object goes.
#pragma once

#include <memory>
#include <string>

#include "tests/support/child_process.h"

namespace kt73b::testing {

class XDisplay {
  public:
    // Null, with the reason in `whyNot`, when no X server can be had here. Sets DISPLAY, which
    // the programs a test starts inherit.
    static std::unique_ptr<XDisplay> Open(std::string* whyNot);
    ~XDisplay();

  private:
    explicit XDisplay(std::unique_ptr<ChildProcess> server) : server_(std::move(server)) {}

    std::unique_ptr<ChildProcess> server_;  // null when the display was there already
};

}  // namespace kt73b::testing
