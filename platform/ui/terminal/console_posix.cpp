#include <sys/ioctl.h>
#include <unistd.h>

#include "platform/ui/terminal/console.h"

namespace kt73b::ui {

ConsoleInfo StandardOutputConsole() {
    ConsoleInfo info;
    info.terminal = isatty(STDOUT_FILENO) != 0;
    winsize size{};
    if (info.terminal && ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
        info.width = size.ws_col;
    }
    return info;
}

}  // namespace kt73b::ui
