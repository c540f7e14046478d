// The ports over the real layer and an in-process loopback device: a write frame out, the
// device's answer in, byte for byte.
#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <thread>

#include "midi/midi_in_port.h"
#include "midi/midi_out_port.h"
#include "platform/winmm/loopback/loopback_registry.h"
#include "tests/support/answering_device.h"

namespace kt73b {
namespace {

using Bytes = std::vector<std::uint8_t>;

class AnsweringLoopback final : public loopback::LoopbackDevice {
  public:
    void OnHostMessage(const std::uint8_t* bytes, std::size_t length) override {
        {
            std::lock_guard lock(mutex_);
            received_.emplace_back(bytes, bytes + length);
        }
        const auto answer = testing::AnswerFor(bytes, length);
        loopback::DeliverToHost(id_, answer.data(), answer.size());
    }
    std::vector<Bytes> Received() {
        std::lock_guard lock(mutex_);
        return received_;
    }

    int id_ = 0;

  private:
    std::mutex mutex_;
    std::vector<Bytes> received_;
};

int FindDevice(UINT count, const std::function<void(UINT, char*)>& name_of,
               const std::string& wanted) {
    for (UINT i = 0; i < count; ++i) {
        char name[kDeviceNameBytes];
        name_of(i, name);
        if (wanted == name) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// Waits for the input port's queue: the answer crosses the layer's callback thread.
Bytes WaitForEntry(MidiInPort& port) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
        std::size_t length = 0;
        if (const std::uint8_t* front = port.Front(&length)) {
            Bytes entry(front, front + length);
            port.PopFront();
            return entry;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return {};
}

TEST(LoopbackRoundTrip, AWriteFrameGoesOutWholeAndTheAnswerComesIntoTheQueue) {
    AnsweringLoopback device;
    device.id_ = loopback::RegisterDevice("KT Loopback", &device);
    MidiInPort in;
    MidiOutPort out;
    const int in_index = FindDevice(
        in.GetNumDevs(), [&](UINT i, char* n) { in.GetDeviceName(i, n); }, "KT Loopback");
    const int out_index = FindDevice(
        out.GetNumDevs(), [&](UINT i, char* n) { out.GetDeviceName(i, n); }, "KT Loopback");
    ASSERT_GE(in_index, 0);
    ASSERT_GE(out_index, 0);
    ASSERT_EQ(out.Open(static_cast<UINT>(out_index)), 1);
    in.SetDeviceIndex(static_cast<UINT>(in_index));
    ASSERT_EQ(in.Open(), 1);

    Bytes frame = testing::TestSysEx(2359, 3);
    MIDIHDR header{};
    header.lpData = reinterpret_cast<LPSTR>(frame.data());
    header.dwBufferLength = static_cast<DWORD>(frame.size());
    ASSERT_EQ(out.SendLong(&header), 1);

    ASSERT_EQ(device.Received().size(), 1u);
    EXPECT_EQ(device.Received()[0], frame);
    const auto answer = testing::AnswerFor(frame.data(), frame.size());
    EXPECT_EQ(WaitForEntry(in), Bytes(answer.begin(), answer.end()));

    in.Close();
    out.Close();
    loopback::UnregisterDevice(device.id_);
}

TEST(LoopbackRoundTrip, AClosedInputQueuesNothingMoreAndASendAfterUnregisterFails) {
    AnsweringLoopback device;
    device.id_ = loopback::RegisterDevice("KT Loopback Two", &device);
    MidiInPort in;
    MidiOutPort out;
    const int index = FindDevice(
        in.GetNumDevs(), [&](UINT i, char* n) { in.GetDeviceName(i, n); }, "KT Loopback Two");
    ASSERT_GE(index, 0);
    ASSERT_EQ(out.GetNumDevs(), in.GetNumDevs());
    ASSERT_EQ(out.Open(static_cast<UINT>(index)), 1);
    in.SetDeviceIndex(static_cast<UINT>(index));
    ASSERT_EQ(in.Open(), 1);
    in.Close();

    const Bytes ping{0xF0, 0x01, 0xF7};
    loopback::DeliverToHost(device.id_, ping.data(), ping.size());
    EXPECT_EQ(in.Front(), nullptr);

    loopback::UnregisterDevice(device.id_);
    Bytes frame = testing::TestSysEx(16);
    MIDIHDR header{};
    header.lpData = reinterpret_cast<LPSTR>(frame.data());
    header.dwBufferLength = static_cast<DWORD>(frame.size());
    EXPECT_EQ(out.SendLong(&header), 0);
    EXPECT_TRUE(device.Received().empty());
}

}  // namespace
}  // namespace kt73b
