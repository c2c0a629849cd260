// Scripted platform for tests: the dialog answers from a script, message boxes
// and windows are recorded, and the file layer can be made to fail.
#pragma once

#include <deque>
#include <map>
#include <optional>

#include "plugin/platform.h"
#include "platform/stdio_env.h"

namespace hvx {

class CScriptedPlatform : public IPlatform {
 public:
  struct Answer {
    bool ok = true;
    std::string model;
    std::string result;
  };

  std::deque<Answer> answers;                       // one per dialog shown
  std::vector<std::string> messageBoxes;            // texts shown
  std::vector<std::vector<std::string>> windows;    // message window lists shown
  int waitCursorDepth = 0;

  // File faults: creating this path fails; or writes to it fail once this
  // many bytes have been written.
  std::string failCreatePath;
  std::string failWritePath;
  size_t failWriteAfter = 0;
  // The host's 8-bit text of these paths (nothing: it cannot take them);
  // other paths are taken as they are. Text at any cost is marked "lossy ".
  std::map<std::string, std::optional<std::string>> hostForms;

  void MessageBox(const std::string& text) override { messageBoxes.push_back(text); }
  std::unique_ptr<COutFile> CreateFile(const std::string& path) override;
  FILE* OpenRead(const std::string& path) override { return DefaultEnv().OpenRead(path); }
  bool FileInputDialog(std::string& modelPath, std::string& resultPath) override;
  void MessageWindow(const std::vector<std::string>& lines) override { windows.push_back(lines); }
  void BeginWaitCursor() override { ++waitCursorDepth; }
  void EndWaitCursor() override { --waitCursorDepth; }
  bool FileStatus(const std::string& path, uint64_t* size = nullptr) override;
  void RemoveFile(const std::string& path) override;
  std::optional<std::string> HostPath(const std::string& path) override {
    const auto it = hostForms.find(path);
    return it == hostForms.end() ? std::optional<std::string>(path) : it->second;
  }
  std::string HostText(const std::string& path) override { return "lossy " + path; }
};

}  // namespace hvx
