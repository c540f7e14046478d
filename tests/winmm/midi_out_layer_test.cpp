// The layer's midiOut as WinMM documents it, over a fake provider.
#include <gtest/gtest.h>

#include "platform/winmm/mmsystem_api.h"
#include "tests/winmm/fake_provider.h"

namespace kt73b::winmm {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The output's callback function: what it was told, in order, and for which handle.
struct OutputEvents {
    static void CALLBACK Proc(HMIDIOUT handle, UINT message, DWORD_PTR instance, DWORD_PTR param1,
                              DWORD_PTR) {
        auto* events = reinterpret_cast<OutputEvents*>(instance);
        events->messages.push_back(message);
        events->handles.push_back(handle);
        if (message == MOM_DONE) {
            auto* header = reinterpret_cast<MIDIHDR*>(param1);
            events->done_headers.push_back(header);
            events->flags_when_done.push_back(header->dwFlags);
        }
    }

    std::vector<UINT> messages;
    std::vector<HMIDIOUT> handles;
    std::vector<MIDIHDR*> done_headers;
    std::vector<DWORD> flags_when_done;
};

class MidiOutLayerTest : public ::testing::Test {
  protected:
    MidiOutLayerTest() : scoped_({&provider_}) { provider_.outputs = {{"Device", "d"}}; }

    void SetUp() override {
        ASSERT_EQ(midiOutGetNumDevs(), 1u);
        ASSERT_EQ(midiOutOpen(&handle_, 0, reinterpret_cast<DWORD_PTR>(&OutputEvents::Proc),
                              reinterpret_cast<DWORD_PTR>(&events_), CALLBACK_FUNCTION),
                  MMSYSERR_NOERROR);
        header_.lpData = reinterpret_cast<LPSTR>(message_.data());
        header_.dwBufferLength = static_cast<DWORD>(message_.size());
    }
    // The tests close the handle themselves; this only keeps a failed one from leaving it open.
    void TearDown() override { midiOutClose(handle_); }

    FakeProvider provider_;
    ScopedProviders scoped_;
    OutputEvents events_;
    HMIDIOUT handle_ = nullptr;
    Bytes message_ = Bytes{0xF0, 0x52, 0x00, 0x57, 0x01, 0xF7};
    MIDIHDR header_{};
};

TEST_F(MidiOutLayerTest, ALongMessageIsDoneWhenTheCallReturnsARefusedOneIsNot) {
    EXPECT_EQ(events_.messages, std::vector<UINT>{MOM_OPEN});
    ASSERT_EQ(midiOutPrepareHeader(handle_, &header_, sizeof(MIDIHDR)), MMSYSERR_NOERROR);
    provider_.send_result = MMSYSERR_NODRIVER;
    EXPECT_EQ(midiOutLongMsg(handle_, &header_, sizeof(MIDIHDR)), MMSYSERR_NODRIVER);
    EXPECT_EQ(header_.dwFlags & MHDR_DONE, 0u);
    EXPECT_EQ(events_.messages, std::vector<UINT>{MOM_OPEN});

    provider_.send_result = MMSYSERR_NOERROR;
    ASSERT_EQ(midiOutLongMsg(handle_, &header_, sizeof(MIDIHDR)), MMSYSERR_NOERROR);
    EXPECT_EQ(provider_.Sent(), std::vector<Bytes>{message_});
    EXPECT_NE(header_.dwFlags & MHDR_DONE, 0u);
    EXPECT_EQ(header_.dwFlags & MHDR_INQUEUE, 0u);
    // Done before the call returned, and marked so before the callback heard of it.
    EXPECT_EQ(events_.messages, (std::vector<UINT>{MOM_OPEN, MOM_DONE}));
    EXPECT_EQ(events_.done_headers, std::vector<MIDIHDR*>{&header_});
    EXPECT_NE(events_.flags_when_done.at(0) & MHDR_DONE, 0u);
    EXPECT_EQ(events_.flags_when_done.at(0) & MHDR_INQUEUE, 0u);

    ASSERT_EQ(midiOutUnprepareHeader(handle_, &header_, sizeof(MIDIHDR)), MMSYSERR_NOERROR);
    EXPECT_EQ(header_.dwFlags & MHDR_PREPARED, 0u);
    ASSERT_EQ(midiOutClose(handle_), MMSYSERR_NOERROR);
    EXPECT_EQ(events_.messages, (std::vector<UINT>{MOM_OPEN, MOM_DONE, MOM_CLOSE}));
    EXPECT_EQ(events_.handles, std::vector<HMIDIOUT>(3, handle_));
}

TEST_F(MidiOutLayerTest, UnpreparedHeadersTheMapperOtherCallbacksAndStaleHandlesAreRefused) {
    constexpr DWORD kCallbackWindow = 0x00010000;
    constexpr DWORD kCallbackEvent = 0x00050000;
    EXPECT_EQ(midiOutLongMsg(handle_, &header_, sizeof(MIDIHDR)), MIDIERR_UNPREPARED);
    EXPECT_TRUE(provider_.Sent().empty());
    ASSERT_EQ(midiOutClose(handle_), MMSYSERR_NOERROR);
    EXPECT_EQ(midiOutClose(handle_), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(midiOutReset(handle_), MMSYSERR_INVALHANDLE);

    HMIDIOUT handle = nullptr;
    EXPECT_EQ(midiOutOpen(&handle, MIDI_MAPPER, 0, 0, CALLBACK_NULL), MIDIERR_NODEVICE);
    EXPECT_EQ(midiOutOpen(&handle, 0, 0, 0, CALLBACK_FUNCTION), MMSYSERR_INVALFLAG);
    EXPECT_EQ(midiOutOpen(&handle, 0, 1, 0, kCallbackWindow), MMSYSERR_INVALFLAG);
    EXPECT_EQ(midiOutOpen(&handle, 0, 1, 0, kCallbackEvent), MMSYSERR_INVALFLAG);
    EXPECT_EQ(midiOutOpen(&handle, 1, 0, 0, CALLBACK_NULL), MMSYSERR_BADDEVICEID);
}

TEST(ErrorText, EveryCodeHasATextAndUnknownCodesAreSaidSo) {
    char text[MAXERRORLENGTH];
    EXPECT_EQ(midiOutGetErrorTextA(MIDIERR_NODEVICE, text, sizeof(text)), MMSYSERR_NOERROR);
    EXPECT_GT(std::string(text).size(), 0u);
    EXPECT_EQ(midiInGetErrorTextA(12345, text, sizeof(text)), MMSYSERR_BADERRNUM);
    char tiny[4];
    EXPECT_EQ(midiInGetErrorTextA(MMSYSERR_ERROR, tiny, sizeof(tiny)), MMSYSERR_NOERROR);
    EXPECT_EQ(std::string(tiny).size(), 3u);
    EXPECT_EQ(midiInGetErrorTextA(MMSYSERR_ERROR, nullptr, 0), MMSYSERR_INVALPARAM);
}

}  // namespace
}  // namespace kt73b::winmm
