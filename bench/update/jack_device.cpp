#include "bench/update/jack_device.h"

#include <vector>

#include "emulator/duration_text.h"

namespace kt73b::bench {
namespace {

constexpr auto kStartTimeout = std::chrono::seconds(20);

std::vector<std::string> EmulatorCommand(const emu::EmulatorSettings& settings) {
    const emu::DeviceSettings& device = settings.device;
    return {KT73B_EMULATOR_PROGRAM,
            "--once",
            "--command-time=" + emu::FormatDuration(device.commandTime),
            "--erase-time=" + emu::FormatDuration(device.eraseTimePerBlock),
            "--erase-time-fixed=" + emu::FormatDuration(device.eraseTimeFixed),
            "--write-time=" + emu::FormatDuration(device.writeTime),
            "--link-rate=" + std::to_string(settings.link.bytesPerSecond),
            "--link-latency=" + emu::FormatDuration(settings.link.latency)};
}

}  // namespace

std::unique_ptr<JackDevice> JackDevice::Start(const emu::EmulatorSettings& settings,
                                              int periodFrames, std::string* whyNot) {
    auto server = testing::JackServer::Start(periodFrames, whyNot);
    if (server == nullptr) {
        return nullptr;
    }
    auto emulator = cli::ChildProcess::Start(EmulatorCommand(settings));
    if (emulator == nullptr) {
        *whyNot = "kt73b-emulator could not be started";
        return nullptr;
    }
    // Its ports exist once it has said where it is.
    const std::string ready = emulator->ReadLine(kStartTimeout);
    if (ready.find(" on JACK as ") == std::string::npos) {
        *whyNot = "kt73b-emulator did not start on the server: " + ready;
        return nullptr;
    }
    return std::unique_ptr<JackDevice>(new JackDevice(std::move(server), std::move(emulator)));
}

std::string JackDevice::FlashVersusImages(std::chrono::milliseconds timeout) {
    for (;;) {
        const std::string line = emulator_->ReadLine(timeout);
        if (line.empty()) {
            return "kt73b-emulator said nothing of its flash";
        }
        if (line.find("the update finished and the flash equals the images") != std::string::npos) {
            return "";
        }
        if (line.find("the update finished") != std::string::npos) {
            return line;
        }
    }
}

}  // namespace kt73b::bench
