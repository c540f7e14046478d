// kt73b-updater-demo: the dialog program with an emulated KT-73B in the same process, so that its
// ports are pre-selected and Execute runs a whole update at the device's own pace.
#include "app/programs/wx_updater_app.h"
#include "emulator/loopback/loopback_emulator.h"

int main(int argc, char** argv) {
    // Registered before the dialog lists the ports; unregistered after the dialog has closed.
    const kt73b::emu::LoopbackEmulator device;
    return kt73b::RunDialogProgram(argc, argv);
}
