// The Windows API for the Windows platform layer. windows.h defines
// MessageBox and CreateFile as macros, which would rename the platform
// interface's members of the same names; they are undefined here, and the
// wide functions are called by their full names. Include this before any
// other header.
#pragma once

// Wide by default: RT_DIALOG, IDC_WAIT and the like are wide resource names.
#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// windows.h first.
#include <commdlg.h>

#undef MessageBox
#undef CreateFile
