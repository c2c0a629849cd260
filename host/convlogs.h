// The two conversion logs, "ReadErr.msg" (reading) and "halvexcvt.msg"
// (writing), in the model file's folder: collected for the message window
// after a conversion, then deleted.
#pragma once

#include <string>
#include <vector>

#include "host/platform.h"

namespace hvx {

inline constexpr const char* kReadLogName = "ReadErr.msg";
inline constexpr const char* kWriteLogName = "halvexcvt.msg";

// The lines of both logs (read log first), in pieces of at most 499 characters.
std::vector<std::string> CollectLogLines(IPlatform& p, const std::string& modelPath);
// The message window's list: an empty line, the log lines, an empty line and
// "Import <model path>"; empty when the logs held no line.
std::vector<std::string> MessageList(const std::vector<std::string>& logLines, const std::string& modelPath);
// Shows the logs in the message window when they hold anything, then deletes both.
void ShowAndRemoveLogs(IPlatform& p, const std::string& modelPath);

}  // namespace hvx
