// What the program's standard output is: a terminal (and how wide), or a file or a pipe.
#pragma once

namespace kt73b::ui {

struct ConsoleInfo {
    bool terminal = false;
    int width = 80;  // columns; 80 when the terminal does not say
};

ConsoleInfo StandardOutputConsole();

}  // namespace kt73b::ui
