// The plug-in's entry points for the host application (on Windows: LoadLibrary
// of ConvertHalvex.dll, then GetProcAddress of "ConvertFile2" or
// "ConvertFile"). Their strings are the C++ library's of the toolchain that
// built the plug-in, so only a host built with the same toolchain can call
// ConvertFile2; every other program uses the C interface (halvex.h).
#pragma once

#include <string>

#if defined(HALVEX_BUILD_LIBRARY) && !defined(_WIN32)
#define HALVEX_ENTRY __attribute__((visibility("default")))
#else
#define HALVEX_ENTRY
#endif

extern "C" {
// One conversion, asking the user for the files: 0 done (or the chosen model
// file does not exist, outputPath then unchanged), 1 cancelled, -1 reading or
// writing failed.
HALVEX_ENTRY int ConvertFile2(std::string& outputPath, std::string& resultPath);
// ConvertFile2 without the paths.
HALVEX_ENTRY int ConvertFile();
}
