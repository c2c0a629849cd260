// The conversion driver behind the exported entry points: dialog, existence
// check, reading, writing, log display and removal, output path and result.
#pragma once

#include <string>

#include "host/platform.h"

namespace hvx {

// Result codes of one conversion.
inline constexpr int kConvertDone = 0;       // also: the chosen model file does not exist
inline constexpr int kConvertCancelled = 1;
inline constexpr int kConvertFailed = -1;

int RunConversion(IPlatform& p, std::string& outputPath, std::string& resultPath);

}  // namespace hvx
