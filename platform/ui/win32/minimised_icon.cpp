#include "platform/ui/win32/minimised_icon.h"

namespace kt73b::ui {

void PaintMinimisedIcon(HWND window, HICON icon) {
    PAINTSTRUCT paint{};
    HDC context = BeginPaint(window, &paint);
    SendMessageA(window, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(context), 0);
    RECT client{};
    GetClientRect(window, &client);
    const IconOrigin origin =
        CentredIconOrigin(client.right - client.left, client.bottom - client.top,
                          GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
    DrawIcon(context, origin.x, origin.y, icon);
    EndPaint(window, &paint);
}

}  // namespace kt73b::ui
