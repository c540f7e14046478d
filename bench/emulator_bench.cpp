// The emulator's own cost per write-data frame (parse, unpack, check value, program, log), and
// how long a whole update takes in virtual time on the default link and device timings, with
// the host answering at once: the device's and the link's share of a real update.
#include <benchmark/benchmark.h>

#include <array>
#include <vector>

#include "emulator/clock.h"
#include "emulator/emulator.h"
#include "engine/image_set.h"
#include "engine/outbound_messages.h"
#include "engine/protocol_constants.h"
#include "engine/step_table.h"

namespace {

using kt73b::emu::Emulator;
using kt73b::emu::EmulatorSettings;
using kt73b::emu::Micros;
using kt73b::emu::VirtualClock;

std::vector<std::uint8_t> Frame(std::uint32_t address, std::span<const std::uint8_t> chunk) {
    std::vector<std::uint8_t> frame(kt73b::WriteFrameBytes(chunk.size()));
    kt73b::BuildWriteDataFrame(frame, kt73b::kInitialModelByte, address, chunk);
    return frame;
}

// Sends one request and moves the clock to its answer, as a host that answers at once would.
void Exchange(VirtualClock& clock, Emulator& emulator, std::span<const std::uint8_t> request) {
    emulator.OnHostMessage(request);
    while (const auto due = emulator.NextDue()) {
        clock.AdvanceTo(*due);
        benchmark::DoNotOptimize(emulator.TakeDue());
    }
}

void BM_EmulatorTakesWriteFrame(benchmark::State& state) {
    const auto image = kt73b::LookupImage(kt73b::kImageHigh);
    std::vector<std::vector<std::uint8_t>> frames;
    for (std::uint32_t offset = 0; offset < 64 * kt73b::kWriteChunkBytes;
         offset += kt73b::kWriteChunkBytes) {
        frames.push_back(Frame(0x0F0000 + offset, image.subspan(offset, kt73b::kWriteChunkBytes)));
    }
    VirtualClock clock;
    Emulator emulator(clock);
    emulator.Device().Flash().Erase(0, kt73b::kFlashBytes);
    std::size_t next = 0;
    for (auto _ : state) {
        Exchange(clock, emulator, frames[next]);
        next = (next + 1) % frames.size();
        if (next == 0) {
            emulator.Log().Clear();  // a full update logs 4.5 MB; keep the run's memory flat
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            kt73b::kWriteChunkBytes);
}
BENCHMARK(BM_EmulatorTakesWriteFrame);

// Argument: link bytes per second (144000 the default USB figure, 3125 classic DIN MIDI).
void BM_FullUpdateInVirtualTime(benchmark::State& state) {
    std::array<std::uint8_t, kt73b::kMessageBufferBytes> buffer{};
    Micros virtualTime{0};
    for (auto _ : state) {
        VirtualClock clock;
        EmulatorSettings settings;
        settings.link.bytesPerSecond = static_cast<std::uint32_t>(state.range(0));
        Emulator emulator(clock, settings);
        Exchange(clock, emulator, std::span(buffer.data(), kt73b::BuildIdentityRequest(buffer)));
        Exchange(clock, emulator,
                 std::span(buffer.data(), kt73b::BuildUpdateModeRequest(buffer, 0x57)));
        for (const kt73b::StepRow& row : kt73b::kStepTable) {
            if (row.type == kt73b::kStepErase) {
                Exchange(clock, emulator,
                         std::span(buffer.data(),
                                   kt73b::BuildEraseRequest(buffer, 0x57, row.address, row.size)));
                continue;
            }
            const auto image = kt73b::LookupImage(row.imageId);
            for (std::uint32_t offset = 0; offset < row.size; offset += kt73b::kWriteChunkBytes) {
                Exchange(
                    clock, emulator,
                    std::span(buffer.data(), kt73b::BuildWriteDataFrame(
                                                 buffer, 0x57, row.address + offset,
                                                 image.subspan(offset, kt73b::kWriteChunkBytes))));
            }
        }
        Exchange(clock, emulator,
                 std::span(buffer.data(), kt73b::BuildFinishRequest(buffer, 0x57)));
        virtualTime = clock.Now();
    }
    state.counters["virtual_s"] = static_cast<double>(virtualTime.count()) / 1e6;
}
BENCHMARK(BM_FullUpdateInVirtualTime)
    ->Arg(144000)
    ->Arg(3125)
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
