// kt73b-updater: the dialog program on the real MIDI providers (ALSA, JACK). No options.
#include "app/programs/wx_updater_app.h"

int main(int argc, char** argv) {
    return kt73b::RunDialogProgram(argc, argv);
}
