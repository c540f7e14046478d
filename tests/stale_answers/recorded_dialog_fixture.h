// The updater's dialog, headless, over the recording WinMM: the test sees each request as the
// worker sends it, queues the device's answers in the input port as a driver would, and runs the
// receive side's tick when it chooses. No emulator and no receive thread: nothing moves unless the
// test or the worker moves it.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "app/updater_dialog.h"
#include "platform/ui/headless/headless_backend.h"

namespace kt73b::testing {

using Bytes = std::vector<std::uint8_t>;

class RecordedDialogTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    void Execute();
    // The next message the host sends (requests and its own answers alike); empty when none
    // comes within `bound`, by default one generous for a loaded machine.
    Bytes NextSent(std::chrono::milliseconds bound = std::chrono::seconds(10));
    // A message from the device, queued in the input port as the driver hands a buffer back.
    void Queue(const Bytes& message);
    // One tick of the receive side: it takes every queued message.
    void Tick();

    ui::HeadlessBackend backend_;
    std::unique_ptr<CTn8UpdatorDlg> dialog_;

  private:
    std::thread dialogThread_;
    std::mutex sentMutex_;
    std::condition_variable sentChanged_;
    std::deque<Bytes> sent_;  // the hook appends on the sending thread; the test takes
};

// The device's Identity Reply.
Bytes IdentityReply(std::uint8_t model);

}  // namespace kt73b::testing
