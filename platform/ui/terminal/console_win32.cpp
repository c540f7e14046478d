// Standard output on Windows: a console (its window's width), or a file or a pipe. A console
// counts as a terminal only when it takes the escape sequences the progress line uses.
#include "platform/ui/terminal/console.h"
#include "platform/ui/win32/windows_api.h"

namespace kt73b::ui {

ConsoleInfo StandardOutputConsole() {
    ConsoleInfo info;
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (output == nullptr || output == INVALID_HANDLE_VALUE || !GetConsoleMode(output, &mode)) {
        return info;
    }
    info.terminal = (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0 ||
                    SetConsoleMode(output, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != FALSE;
    CONSOLE_SCREEN_BUFFER_INFO screen{};
    if (info.terminal && GetConsoleScreenBufferInfo(output, &screen)) {
        const int width = screen.srWindow.Right - screen.srWindow.Left + 1;
        if (width > 0) {
            info.width = width;
        }
    }
    return info;
}

}  // namespace kt73b::ui
