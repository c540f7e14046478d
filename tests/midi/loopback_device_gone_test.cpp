// The ports over the real layer and an in-process loopback device, at the edges a whole update
// (tests/dialog) never reaches: a closed input and a device that has gone.
#include <gtest/gtest.h>

#include <vector>

#include "midi/midi_in_port.h"
#include "midi/midi_out_port.h"
#include "platform/winmm/loopback/loopback_registry.h"

namespace kt73b {
namespace {

class CountingDevice final : public loopback::LoopbackDevice {
  public:
    void OnHostMessage(const std::uint8_t*, std::size_t) override { ++received_; }
    int received_ = 0;  // written by the sending thread, read after UnregisterDevice
};

TEST(LoopbackPorts, AClosedInputQueuesNothingMoreAndASendToAGoneDeviceFails) {
    CountingDevice device;
    const int id = loopback::RegisterDevice("KT Loopback Gone", &device);
    MidiInPort in;
    MidiOutPort out;
    int index = -1;
    for (UINT i = 0; i < in.GetNumDevs(); ++i) {
        char name[kDeviceNameBytes];
        in.GetDeviceName(i, name);
        index = std::string(name) == "KT Loopback Gone" ? static_cast<int>(i) : index;
    }
    ASSERT_GE(index, 0);
    ASSERT_EQ(out.Open(static_cast<UINT>(index)), 1);
    in.SetDeviceIndex(static_cast<UINT>(index));
    ASSERT_EQ(in.Open(), 1);
    in.Close();
    const std::vector<std::uint8_t> ping{0xF0, 0x01, 0xF7};
    loopback::DeliverToHost(id, ping.data(), ping.size());
    EXPECT_EQ(in.Front(), nullptr);

    loopback::UnregisterDevice(id);
    std::vector<std::uint8_t> frame(16, 0x11);
    frame.front() = 0xF0;
    frame.back() = 0xF7;
    MIDIHDR header{};
    header.lpData = reinterpret_cast<LPSTR>(frame.data());
    header.dwBufferLength = static_cast<DWORD>(frame.size());
    EXPECT_EQ(out.SendLong(&header), 0);
    EXPECT_EQ(device.received_, 0);
    out.Close();
}

}  // namespace
}  // namespace kt73b
