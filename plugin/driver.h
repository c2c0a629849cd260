// The plug-in's conversion: the file input dialog, the conversion of the
// chosen model through the platform layer, the message window, the logs
// removed, the output path and the result.
#pragma once

#include <optional>
#include <string>
#include <utility>

#include "plugin/platform.h"

namespace hvx {

// Result codes of one call of the plug-in.
inline constexpr int kConvertDone = 0;       // also: the chosen model file does not exist
inline constexpr int kConvertCancelled = 1;
inline constexpr int kConvertFailed = -1;

// The out-parameters of one call: a path where the call hands one back,
// nothing where the host's string stays as it was.
struct CHandBack {
  std::optional<std::string> outputPath, resultPath;
};

int RunConversion(IPlatform& p, CHandBack& back);

// The same into strings of the caller, each assigned only when handed back.
inline int RunConversion(IPlatform& p, std::string& outputPath, std::string& resultPath) {
  CHandBack back;
  const int rc = RunConversion(p, back);
  if (back.outputPath) outputPath = std::move(*back.outputPath);
  if (back.resultPath) resultPath = std::move(*back.resultPath);
  return rc;
}

}  // namespace hvx
