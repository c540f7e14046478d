// wx's own message box, which the back end shows for every box: GTK 3 shows no icon in its native
// message dialog, and wx's box runs wx's modal loop, which carries out other threads' calls.
#pragma once

#include <wx/msgdlg.h>
// The generic box builds on the base class that wx/msgdlg.h declares.
#include <wx/generic/msgdlgg.h>
