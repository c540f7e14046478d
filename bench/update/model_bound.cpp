#include "bench/update/model_bound.h"

#include <array>
#include <span>

#include "emulator/clock.h"
#include "engine/image_set.h"
#include "engine/outbound_messages.h"
#include "engine/protocol_constants.h"
#include "engine/step_table.h"

namespace kt73b::bench {
namespace {

using Buffer = std::array<std::uint8_t, kMessageBufferBytes>;

// Sends one request now and moves the clock to the arrival of its answer.
void Exchange(emu::VirtualClock& clock, emu::Emulator& device, const Buffer& buffer,
              std::size_t length) {
    device.OnHostMessage(std::span(buffer.data(), length));
    while (const auto due = device.NextDue()) {
        clock.AdvanceTo(*due);
        device.TakeDue();
    }
}

}  // namespace

std::chrono::microseconds ModelLowerBound(const emu::EmulatorSettings& settings,
                                          const UpdateTimings& timings) {
    emu::VirtualClock clock;
    emu::Emulator device(clock, settings);
    static Buffer buffer{};
    const std::uint8_t model = settings.device.model;
    Exchange(clock, device, buffer, BuildIdentityRequest(buffer));
    Exchange(clock, device, buffer, BuildUpdateModeRequest(buffer, model));
    clock.AdvanceBy(timings.updateModePause);
    for (const StepRow& row : kStepTable) {
        if (row.type == kStepErase) {
            Exchange(clock, device, buffer,
                     BuildEraseRequest(buffer, model, row.address, row.size));
            continue;
        }
        const auto image = LookupImage(row.imageId);
        for (std::uint32_t offset = 0; offset < row.size; offset += kWriteChunkBytes) {
            const auto chunk = image.subspan(offset, kWriteChunkBytes);
            Exchange(clock, device, buffer,
                     BuildWriteDataFrame(buffer, model, row.address + offset, chunk));
        }
    }
    Exchange(clock, device, buffer, BuildFinishRequest(buffer, model));
    return clock.Now();
}

}  // namespace kt73b::bench
