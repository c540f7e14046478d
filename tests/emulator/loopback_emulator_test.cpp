// The emulator as an in-process device, reached the way the updater reaches a device: through
// the WinMM calls of the platform layer.
#include "emulator/loopback/loopback_emulator.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <optional>

#include "emulator/fault_script_parser.h"
#include "emulator/image_check.h"
#include "engine/image_set.h"
#include "engine/step_table.h"
#include "platform/winmm/mmsystem_api.h"
#include "virtual_host.h"

namespace kt73b::emu {
namespace {

using testing::Answer;
using testing::Bytes;

// A real-time wait on another thread: bounded generously, never a measure of speed.
constexpr auto kAnswerLimit = std::chrono::seconds(10);

template <typename Caps>
bool IsNamed(const Caps& caps, const std::string& name) {
    return std::strncmp(caps.szPname, name.c_str(), sizeof caps.szPname) == 0;
}

std::optional<UINT> FindInput(const std::string& name) {
    for (UINT id = 0, count = midiInGetNumDevs(); id < count; ++id) {
        MIDIINCAPSA caps{};
        if (midiInGetDevCapsA(id, &caps, sizeof caps) == MMSYSERR_NOERROR && IsNamed(caps, name)) {
            return id;
        }
    }
    return std::nullopt;
}

std::optional<UINT> FindOutput(const std::string& name) {
    for (UINT id = 0, count = midiOutGetNumDevs(); id < count; ++id) {
        MIDIOUTCAPSA caps{};
        if (midiOutGetDevCapsA(id, &caps, sizeof caps) == MMSYSERR_NOERROR && IsNamed(caps, name)) {
            return id;
        }
    }
    return std::nullopt;
}

// A host with a WinMM input and output open on one device.
class WinmmHost {
  public:
    bool Open(const std::string& name) {
        const auto in = FindInput(name);
        const auto out = FindOutput(name);
        if (!in || !out ||
            midiInOpen(&in_, *in, reinterpret_cast<DWORD_PTR>(&OnInput),
                       reinterpret_cast<DWORD_PTR>(this), CALLBACK_FUNCTION) != MMSYSERR_NOERROR ||
            midiOutOpen(&out_, *out, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
            return false;
        }
        for (std::size_t i = 0; i < headers_.size(); ++i) {
            headers_[i] = MIDIHDR{};
            headers_[i].lpData = buffers_[i].data();
            headers_[i].dwBufferLength = static_cast<DWORD>(buffers_[i].size());
            midiInPrepareHeader(in_, &headers_[i], sizeof(MIDIHDR));
            midiInAddBuffer(in_, &headers_[i], sizeof(MIDIHDR));
        }
        return midiInStart(in_) == MMSYSERR_NOERROR;
    }

    ~WinmmHost() {
        if (in_ != nullptr) {
            midiInReset(in_);
            for (MIDIHDR& header : headers_) {
                midiInUnprepareHeader(in_, &header, sizeof(MIDIHDR));
            }
            midiInClose(in_);
        }
        if (out_ != nullptr) {
            midiOutClose(out_);
        }
    }

    bool Send(Bytes message) {
        MIDIHDR header{};
        header.lpData = reinterpret_cast<LPSTR>(message.data());
        header.dwBufferLength = static_cast<DWORD>(message.size());
        midiOutPrepareHeader(out_, &header, sizeof header);
        const bool sent = midiOutLongMsg(out_, &header, sizeof header) == MMSYSERR_NOERROR;
        midiOutUnprepareHeader(out_, &header, sizeof header);
        return sent;
    }

    // The next message that came in; its buffer goes back to the input for the next one.
    std::optional<Bytes> Receive() {
        MIDIHDR* header = nullptr;
        {
            std::unique_lock lock(mutex_);
            if (!arrived_.wait_for(lock, kAnswerLimit, [this] { return !filled_.empty(); })) {
                return std::nullopt;
            }
            header = filled_.front();
            filled_.pop_front();
        }
        Bytes message(header->lpData, header->lpData + header->dwBytesRecorded);
        midiInAddBuffer(in_, header, sizeof(MIDIHDR));
        return message;
    }

    Bytes Exchange(const Bytes& request) {
        EXPECT_TRUE(Send(request));
        return Receive().value_or(Bytes{});
    }

  private:
    static void CALLBACK OnInput(HMIDIIN, UINT message, DWORD_PTR instance, DWORD_PTR param1,
                                 DWORD_PTR) {
        if (message != MIM_LONGDATA) {
            return;
        }
        auto* self = reinterpret_cast<WinmmHost*>(instance);
        {
            std::lock_guard lock(self->mutex_);
            self->filled_.push_back(reinterpret_cast<MIDIHDR*>(param1));
        }
        self->arrived_.notify_one();
    }

    HMIDIIN in_ = nullptr;
    HMIDIOUT out_ = nullptr;
    std::array<std::array<char, 256>, 8> buffers_{};
    std::array<MIDIHDR, 8> headers_{};
    std::mutex mutex_;
    std::condition_variable arrived_;  // the input callback thread notifies the test thread
    // Hand-over: the callback thread queues each returned header under mutex_; the test thread
    // reads it and gives it back to the input.
    std::deque<MIDIHDR*> filled_;
};

TEST(LoopbackEmulator, AppearsUnderItsNameAndAnswersThroughWinmm) {
    LoopbackEmulator device;  // default timings, link and name
    WinmmHost host;
    ASSERT_TRUE(host.Open("VELK KT Series"));
    const Bytes identity = host.Exchange(testing::IdentityRequest());
    ASSERT_EQ(identity.size(), 15u);
    EXPECT_EQ(identity[6], 0x57);
    EXPECT_EQ(host.Exchange(testing::UpdateModeRequest()), Answer(0));
    Bytes frame = testing::WriteFrame(0x0F0000, testing::Chunk());
    frame[77] ^= 0x04;
    EXPECT_EQ(host.Exchange(frame), Answer(8));
    device.WithEmulator([](Emulator& emulator) {
        ASSERT_EQ(emulator.ProtocolErrors().size(), 1u);
        EXPECT_NE(emulator.ProtocolErrors()[0].what.find("check value"), std::string::npos);
    });
}

TEST(LoopbackEmulator, AWholeUpdateLeavesTheFlashEqualToTheImages) {
    EmulatorSettings fast = testing::Instant();
    LoopbackEmulator device(fast, "KT Loopback Update");
    WinmmHost host;
    ASSERT_TRUE(host.Open("KT Loopback Update"));
    ASSERT_EQ(host.Exchange(testing::UpdateModeRequest()), Answer(0));
    for (const StepRow& row : kStepTable) {
        if (row.type == kStepErase) {
            ASSERT_EQ(host.Exchange(testing::EraseRequest(row.address, row.size)), Answer(0));
            continue;
        }
        const auto image = LookupImage(row.imageId);
        for (std::uint32_t offset = 0; offset < row.size; offset += kWriteChunkBytes) {
            ASSERT_EQ(host.Exchange(testing::WriteFrame(row.address + offset,
                                                        image.subspan(offset, kWriteChunkBytes))),
                      Answer(0));
        }
    }
    ASSERT_EQ(host.Exchange(testing::FinishRequest()), Answer(0));
    device.WithEmulator([](Emulator& emulator) {
        EXPECT_EQ(CompareFlashWithImages(emulator.Device().Flash(), LookupImage), "");
        EXPECT_EQ(emulator.Device().FinishedCount(), 1);
    });
}

TEST(LoopbackEmulator, FaultsAndTheDevicesOwnRequestsWork) {
    LoopbackEmulator device(testing::Instant(), "KT Loopback Faults");
    WinmmHost host;
    ASSERT_TRUE(host.Open("KT Loopback Faults"));
    device.WithEmulator([](Emulator& emulator) {
        std::string error;
        ASSERT_TRUE(ParseFaultScript("finish=status:8,duplicate", emulator.Faults(), error));
        emulator.SendCommand(0x03);
    });
    EXPECT_EQ(host.Receive(), (Bytes{0xF0, 0x52, 0x00, 0x57, 0x03, 0xF7}));
    EXPECT_EQ(host.Exchange(testing::FinishRequest()), Answer(8));
    EXPECT_EQ(host.Receive(), Answer(8));
}

TEST(LoopbackEmulator, GoneFromTheListsOnceDestroyed) {
    {
        LoopbackEmulator device(testing::Instant(), "KT Loopback Short-Lived");
        EXPECT_TRUE(FindInput("KT Loopback Short-Lived"));
        EXPECT_TRUE(FindOutput("KT Loopback Short-Lived"));
    }
    EXPECT_FALSE(FindInput("KT Loopback Short-Lived"));
    EXPECT_FALSE(FindOutput("KT Loopback Short-Lived"));
}

}  // namespace
}  // namespace kt73b::emu
