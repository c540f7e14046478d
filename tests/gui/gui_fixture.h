// Runs the updater's start-up (CTn8UpdatorApp) on the wx back end in this process, against the
// emulated device with no link or device time and shortened time-outs, in a scratch folder that
// also holds the instance locks.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "emulator/loopback/loopback_emulator.h"
#include "gui_driver.h"
#include "tests/support/temp_dir.h"

namespace kt73b::testing {

class GuiTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // The emulated device, started in its update mode or as a normal start leaves it, writing
    // each chunk in `writeTime` (none by default).
    void StartDevice(bool updateMode = true, emu::Micros writeTime = emu::Micros{0});
    // Runs the application object to its end, with `script` acting meanwhile.
    void RunUpdater(const std::function<void()>& script);
    // Runs the main dialog alone (instance 1); what its DoModal returned.
    int RunDialog(const std::function<void()>& script);

    // Script side, on the main dialog.
    std::string Text(int id);
    bool Enabled(int id);
    std::uint32_t Requests(emu::RequestKind kind);  // of that kind, the device received

    ui::WxBackend backend_;
    GuiDriver driver_{backend_};
    std::unique_ptr<emu::LoopbackEmulator> device_;
    const ScratchFolder scratch_;
};

}  // namespace kt73b::testing
