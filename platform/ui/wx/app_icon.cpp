#include "platform/ui/wx/app_icon.h"

#include <wx/image.h>

#include <cstddef>

#include "resources/icon/icon_art.h"

namespace kt73b::ui {

namespace {

wxIcon ToIcon(int size) {
    const std::vector<res::IconPixel> pixels = res::DrawIcon(size);
    wxImage image(size, size);
    image.InitAlpha();
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const res::IconPixel& pixel = pixels[static_cast<std::size_t>(y * size + x)];
            image.SetRGB(x, y, pixel.red, pixel.green, pixel.blue);
            image.SetAlpha(x, y, pixel.opaque ? wxIMAGE_ALPHA_OPAQUE : wxIMAGE_ALPHA_TRANSPARENT);
        }
    }
    wxIcon icon;
    icon.CopyFromBitmap(wxBitmap(image));
    return icon;
}

}  // namespace

const wxIconBundle& AppIcons() {
    static const wxIconBundle icons = [] {
        wxIconBundle bundle;
        for (const int size : res::kIconSizes) {
            bundle.AddIcon(ToIcon(size));
        }
        return bundle;
    }();
    return icons;
}

}  // namespace kt73b::ui
