// The ports over the real layer and a JACK server started here: the "VELK KT Series" peer, a
// second process, is listed under its name in both lists, gets a write frame whole and answers.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "midi/midi_in_port.h"
#include "midi/midi_out_port.h"
#include "tests/support/answering_device.h"
#include "tests/support/jack_server.h"

namespace kt73b {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr char kPeerName[] = "VELK KT Series";

class JackRoundTrip : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        server_ = testing::JackServer::Start(256, &why_not_).release();
        if (server_ != nullptr) {
            peer_ = testing::StartJackPeer(KT73B_JACK_PEER_PATH, &why_not_).release();
        }
    }
    static void TearDownTestSuite() {
        delete peer_;
        delete server_;
        peer_ = nullptr;
        server_ = nullptr;
    }
    void SetUp() override {
        if (peer_ == nullptr) {
            GTEST_SKIP() << "no JACK server here: " << why_not_;
        }
    }

    template <typename Port>
    static int IndexOf(Port& port) {
        const UINT count = port.GetNumDevs();
        for (UINT i = 0; i < count; ++i) {
            char name[kDeviceNameBytes];
            port.GetDeviceName(i, name);
            if (std::string(name) == kPeerName) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }

    static inline testing::JackServer* server_ = nullptr;
    static inline testing::ChildProcess* peer_ = nullptr;
    static inline std::string why_not_;
};

// Both lists name the peer after its client; a frame reaches it whole and its answer the queue.
TEST_F(JackRoundTrip, AWriteFrameReachesThePeerWholeAndItsAnswerReachesTheQueue) {
    MidiInPort in;
    MidiOutPort out;
    const int in_index = IndexOf(in);
    const int out_index = IndexOf(out);
    ASSERT_GE(in_index, 0);
    ASSERT_GE(out_index, 0);
    ASSERT_EQ(out.Open(static_cast<UINT>(out_index)), 1);
    in.SetDeviceIndex(static_cast<UINT>(in_index));
    ASSERT_EQ(in.Open(), 1);

    Bytes frame = testing::TestSysEx(2359, 9);
    MIDIHDR header{};
    header.lpData = reinterpret_cast<LPSTR>(frame.data());
    header.dwBufferLength = static_cast<DWORD>(frame.size());
    ASSERT_EQ(out.SendLong(&header), 1);

    Bytes entry;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (entry.empty() && std::chrono::steady_clock::now() < deadline) {
        std::size_t length = 0;
        if (const std::uint8_t* front = in.Front(&length)) {
            entry.assign(front, front + length);
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    const auto answer = testing::AnswerFor(frame.data(), frame.size());
    EXPECT_EQ(entry, Bytes(answer.begin(), answer.end()))
        << "no answer, or an answer about a frame that did not arrive whole; on a busy machine "
           "JACK may also have lost the message in an xrun";
    in.Close();
    out.Close();
}

}  // namespace
}  // namespace kt73b
