// The rules a front end with a platform of its own (the plug-in's driver)
// shares with the conversion: the name of the .qsx and the message window's
// list.
#pragma once

#include <string>
#include <vector>

#include "api/conversion.h"

namespace hvx {

// Where the .qsx of a model goes: beside it (the model path with the
// extension after its last "." replaced by ".qsx", or ".qsx" appended), or
// into outputDir under the file name that rule gives.
std::string OutputPathFor(const std::string& modelPath, const std::string& outputDir, char separator);

// The message window's list: an empty line, the log lines, an empty line and
// "Import <model path>"; empty when the logs held no line.
std::vector<std::string> MessageList(const std::vector<std::string>& logLines, const std::string& modelPath);

}  // namespace hvx
