// The plug-in's entry points for the host application, as the host sees them.
//
// Windows: an MFC host (64-bit or 32-bit) loads ConvertHalvex.dll with
// LoadLibrary and finds "ConvertFile2" or "ConvertFile" with GetProcAddress
// (undecorated names, the C calling convention). ConvertFile2's
// out-parameters are the host's own CStringA, MFC's CString of a multi-byte
// build: the host includes its framework's string header before this one.
// Other systems: std::string of the C++ library that built the plug-in.
// Every other program uses the C interface (halvex.h).
#pragma once

#if defined(_WIN32)
#if defined(HALVEX_BUILD_LIBRARY)
// Inside the plug-in: the host's string by its documented layout
// (plugin/host_string_win.h).
namespace hvx {
class CHostString;
}
using HalvexHostString = hvx::CHostString;
#else
using HalvexHostString = CStringA;
#endif
#define HALVEX_ENTRY
#define HALVEX_CALL __cdecl
#else
#include <string>
using HalvexHostString = std::string;
#if defined(HALVEX_BUILD_LIBRARY)
#define HALVEX_ENTRY __attribute__((visibility("default")))
#else
#define HALVEX_ENTRY
#endif
#define HALVEX_CALL
#endif

extern "C" {
// One conversion, asking the user for the files: 0 done (or the chosen model
// file does not exist, outputPath then unchanged), 1 cancelled, -1 reading or
// writing failed (or, on Windows, the host's string manager had no memory for
// the paths). A string the call does not hand back is not touched at all.
HALVEX_ENTRY int HALVEX_CALL ConvertFile2(HalvexHostString& outputPath, HalvexHostString& resultPath);
// ConvertFile2 without the paths.
HALVEX_ENTRY int HALVEX_CALL ConvertFile();
}

// What GetProcAddress's result is cast to.
typedef int(HALVEX_CALL* HalvexConvertFile2Fn)(HalvexHostString& outputPath, HalvexHostString& resultPath);
