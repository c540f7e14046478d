// Fuzz target: the receive side. Arbitrary byte strings of any length, with any model byte, go
// through the input port's inbound queue to DispatchInbound, as a driver hands back filled
// receive buffers. No read may go past a message's end (the queue keeps each message in a block
// of its exact size), and the host may send only the answers the classification table allows.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <span>
#include <vector>

#include "app/model_byte.h"
#include "app/updater_dialog.h"
#include "tests/midi/recording_winmm.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Reply(std::uint8_t model, std::uint8_t result) {
    return {0xF0, 0x52, 0x00, model, 0x00, result, 0xF7};
}

// The host's automatic answers, written down from the receive side's classification table on
// their own, so that DispatchInbound is checked against the table and not against itself: the one
// message the host must send for `message` (a refusal or acknowledgement, or its identity reply),
// or nothing. A message too short for the bytes its row reads gets nothing.
std::optional<Bytes> AllowedAnswer(std::span<const std::uint8_t> message, std::uint8_t model,
                                   std::uint8_t family) {
    if (message.size() < 5 || message[0] != 0xF0) {
        return std::nullopt;
    }
    const std::uint8_t command = message[4];
    if (message[1] == 0x52 && message[3] == model) {
        switch (command) {
            case 0x00:  // the device's answer, ...
            case 0x02:  // ... what counts as one, ...
            case 0x03:  // ... and what is dropped: none gets a message back
                return std::nullopt;
            case 0x01:
            case 0x04:
            case 0x05:
                return Reply(model, 0x00);
            default:
                return Reply(model, 0x01);
        }
    }
    if (message[1] == 0x7E && message[3] == 0x06) {
        if (command == 0x01) {  // the host's identity reply
            return Bytes{0xF0, 0x7E, 0x00, 0x06, 0x02, 0x52, family, 0x00,
                         0x00, 0x00, 0x31, 0x30, 0x30, 0x30, 0xF7};
        }
        if (command == 0x02) {
            return std::nullopt;
        }
        return Reply(model, 0x01);
    }
    return std::nullopt;
}

// The dialog without its worker: Execute opens both ports on the recording WinMM and starts
// nothing, and its timer never starts, so only this target drains the queue.
class ReceiveSideDialog final : public kt73b::CTn8UpdatorDlg {
  public:
    ReceiveSideDialog() : CTn8UpdatorDlg(1) {}

  protected:
    bool StartWorkerThread() override { return true; }
};

class Harness {
  public:
    Harness() {
        auto& winmm = kt73b::testing::RecordingWinmm::Instance();
        winmm.Reset();
        winmm.SetRecording(false);
        winmm.SetOutputCompletesAtOnce(true);
        // Runs on the sending thread, which is this one: the answers come back in order.
        winmm.SetLongMsgHook([this](MIDIHDR* header) {
            const auto* bytes = reinterpret_cast<const std::uint8_t*>(header->lpData);
            sent_.emplace_back(bytes, bytes + header->dwBufferLength);
        });
        dialog_.OnExecute();
    }

    // As the driver does: each buffer it hands back full becomes one entry of its own.
    std::vector<Bytes> Receive(std::span<const std::uint8_t> message) {
        std::vector<Bytes> entries;
        std::size_t at = 0;
        do {
            const std::size_t piece =
                std::min<std::size_t>(kt73b::kReceiveBufferBytes, message.size() - at);
            Bytes buffer(message.begin() + static_cast<std::ptrdiff_t>(at),
                         message.begin() + static_cast<std::ptrdiff_t>(at + piece));
            if (!kt73b::testing::RecordingWinmm::Instance().ReturnInputBuffer(buffer)) {
                std::fprintf(stderr, "the input port did not give its buffer back\n");
                std::abort();
            }
            if (!buffer.empty()) {
                entries.push_back(std::move(buffer));
            }
            at += piece;
        } while (at < message.size());
        return entries;
    }

    std::vector<Bytes> Dispatch() {
        sent_.clear();
        dialog_.DispatchInbound();
        return std::move(sent_);
    }

  private:
    ReceiveSideDialog dialog_;
    std::vector<Bytes> sent_;
};

void Print(const char* title, const std::vector<Bytes>& messages) {
    std::fprintf(stderr, "%s:\n", title);
    for (const Bytes& message : messages) {
        for (std::size_t i = 0; i < message.size() && i < 24; ++i) {
            std::fprintf(stderr, " %02X", message[i]);
        }
        std::fprintf(stderr, message.size() > 24 ? " ... (%zu bytes)\n" : "\n", message.size());
    }
}

}  // namespace

// The input: the model byte, the family code, then messages, each a two-byte length (low byte
// first, up to 16383) and that many bytes, as far as the input goes.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Harness harness;
    if (size < 2) {
        return 0;
    }
    const std::uint8_t model = data[0];
    const std::uint8_t family = data[1];
    kt73b::SetModelByte(model);
    kt73b::SetHostIdentityFamily(family);
    std::vector<Bytes> allowed;
    for (std::size_t at = 2; at + 2 <= size;) {
        const std::size_t wanted = (data[at] | (data[at + 1] << 8)) & 0x3FFF;
        at += 2;
        const std::size_t length = std::min(wanted, size - at);
        for (const Bytes& entry : harness.Receive({data + at, length})) {
            if (auto answer = AllowedAnswer(entry, model, family)) {
                allowed.push_back(std::move(*answer));
            }
        }
        at += length;
    }
    const std::vector<Bytes> sent = harness.Dispatch();
    if (sent != allowed) {
        Print("the host sent", sent);
        Print("the classification table allows", allowed);
        std::abort();
    }
    return 0;
}
