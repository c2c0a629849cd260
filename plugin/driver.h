// The plug-in's conversion: the file input dialog, the conversion of the
// chosen model through the platform layer, the message window, the logs
// removed, the output path and the result.
#pragma once

#include <string>

#include "plugin/platform.h"

namespace hvx {

// Result codes of one call of the plug-in.
inline constexpr int kConvertDone = 0;       // also: the chosen model file does not exist
inline constexpr int kConvertCancelled = 1;
inline constexpr int kConvertFailed = -1;

int RunConversion(IPlatform& p, std::string& outputPath, std::string& resultPath);

}  // namespace hvx
