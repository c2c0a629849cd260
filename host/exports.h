// Exported entry points of libConvertHalvex, for hosts that link or load it.
#pragma once

#include <string>

#define HALVEX_EXPORT __attribute__((visibility("default")))

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
