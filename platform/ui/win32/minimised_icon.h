// What a dialog shows when it is minimised: its icon, centred in the client area and drawn over
// the erased background.
#pragma once

#include "platform/ui/win32/windows_api.h"

namespace kt73b::ui {

struct IconOrigin {
    int x;
    int y;
};

// Where an icon of the given size starts in a client area of the given size; the division
// truncates toward zero, so a client area smaller than the icon gives a slightly negative origin.
constexpr IconOrigin CentredIconOrigin(int clientWidth, int clientHeight, int iconWidth,
                                       int iconHeight) {
    return {(clientWidth - iconWidth + 1) / 2, (clientHeight - iconHeight + 1) / 2};
}

// Paints `window` while it is minimised: erases the background, then draws `icon` centred.
void PaintMinimisedIcon(HWND window, HICON icon);

}  // namespace kt73b::ui
