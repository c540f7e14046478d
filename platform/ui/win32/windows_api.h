// <windows.h> for our Win32 code, without the macros that would rename the dialog framework's
// functions of the same names; the code calls the platform's ANSI functions by their full names.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#undef GetWindowText
#undef LoadString
#undef MessageBox
#undef SetWindowText
