#include "x_display.h"

#include <cstdlib>

namespace kt73b::testing {

namespace {
constexpr auto kServerStartWait = std::chrono::seconds(20);
}

std::unique_ptr<XDisplay> XDisplay::Open(std::string* whyNot) {
    if (const char* display = std::getenv("DISPLAY"); display != nullptr && *display != '\0')
        return std::unique_ptr<XDisplay>(new XDisplay(nullptr));
    const std::string xvfb = FindOnPath("Xvfb");
    if (xvfb.empty()) {
        *whyNot = "no DISPLAY and no Xvfb on PATH (scripts/install-deps installs xvfb)";
        return nullptr;
    }
    // -displayfd 1: the server picks a free display and writes its number on standard output.
    auto server = ChildProcess::Spawn(
        {xvfb, "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"}, false);
    const std::string number = server != nullptr ? server->ReadLine(kServerStartWait) : "";
    if (number.empty()) {
        *whyNot = "Xvfb did not start";
        return nullptr;
    }
    setenv("DISPLAY", (":" + number).c_str(), 1);
    return std::unique_ptr<XDisplay>(new XDisplay(std::move(server)));
}

XDisplay::~XDisplay() {
    if (server_ != nullptr)
        unsetenv("DISPLAY");
}

}  // namespace kt73b::testing
