// The conversion behind both front doors: the headless call of
// api/conversion.h, and the plug-in's entry points, which bring their own
// platform layer (dialogs, message boxes, logs as files beside the model).
#pragma once

#include <string>
#include <vector>

#include "base/env.h"
#include "base/parallel.h"
#include "api/conversion.h"

namespace hvx {

// One conversion through env, with the model path as given: its files,
// message boxes and logs are env's. reportName is the model as the report
// names it. The result's messages are the lines env's logs hold; showing and
// removing the logs is the caller's. Never throws.
// sizes, if given, says how the work is cut for options.threads threads (its
// own thread count is not used); tests cut small models as finely as big ones
// are cut.
CConvertResult ConvertWith(IConvertEnv& env, const std::string& modelPath, const std::string& reportName,
                           const CConvertOptions& options, const CParallelism* sizes = nullptr);

// Convert (api/conversion.h) with the work cut as sizes says.
CConvertResult ConvertCut(const std::string& modelPath, const CConvertOptions& options, const CParallelism& sizes);

// Where the .qsx of a model goes: beside it (the model path with the
// extension after its last "." replaced by ".qsx", or ".qsx" appended), or
// into outputDir under the file name that rule gives.
std::string OutputPathFor(const std::string& modelPath, const std::string& outputDir, char separator);

// The message window's list: an empty line, the log lines, an empty line and
// "Import <model path>"; empty when the logs held no line.
std::vector<std::string> MessageList(const std::vector<std::string>& logLines, const std::string& modelPath);

}  // namespace hvx
