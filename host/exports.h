// Exported entry points of the ConvertHalvex plug-in library, for hosts that
// link or load it (on Windows: LoadLibrary of ConvertHalvex.dll, then
// GetProcAddress of "ConvertFile2" or "ConvertFile").
#pragma once

#include <string>

// HALVEX_BUILD_DLL: compiling the Windows library itself; HALVEX_STATIC:
// compiling the entry points into a program of their own.
#if defined(_WIN32)
#if defined(HALVEX_BUILD_DLL)
#define HALVEX_EXPORT __declspec(dllexport)
#elif defined(HALVEX_STATIC)
#define HALVEX_EXPORT
#else
#define HALVEX_EXPORT __declspec(dllimport)
#endif
#else
#define HALVEX_EXPORT __attribute__((visibility("default")))
#endif

namespace hvx {
class IPlatform;
}

extern "C" {
// One conversion: 0 done (or the chosen model file does not exist, outputPath
// then unchanged), 1 cancelled, -1 reading or writing failed.
HALVEX_EXPORT int ConvertFile2(std::string& outputPath, std::string& resultPath);
HALVEX_EXPORT int ConvertFile();
// Lets a host put its own platform layer (dialogs, message window) in place.
HALVEX_EXPORT void HalvexSetPlatform(hvx::IPlatform* platform);
}
