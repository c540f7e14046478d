// Icon 128 as wx images: the window icon of every dialog and the picture of the about box.
#pragma once

#include <wx/iconbndl.h>

namespace kt73b::ui {

// Every size of the application icon (16, 32 and 48 pixels), made once per process.
const wxIconBundle& AppIcons();

}  // namespace kt73b::ui
