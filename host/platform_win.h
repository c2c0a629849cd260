// Windows version of the platform layer: the file input dialog and the message
// window from the dialog templates in the plug-in's own resources
// (resources/dialogs.rc), system message boxes, the wait cursor and files
// through the wide Windows functions. Texts stay 8-bit in the process code
// page everywhere else; they are converted only where a Windows function
// takes or gives them.
#pragma once

#include <string>
#include <vector>

#include "host/platform.h"

namespace hvx {

class CWinPlatform : public IPlatform {
 public:
  bool FileInputDialog(std::string& modelPath, std::string& resultPath) override;
  void MessageWindow(const std::vector<std::string>& lines) override;
  void BeginWaitCursor() override;
  void EndWaitCursor() override;
  bool FileStatus(const std::string& path, uint64_t* size = nullptr) override;
  void RemoveFile(const std::string& path) override;

  void MessageBox(const std::string& text) override;
  std::unique_ptr<COutFile> CreateFile(const std::string& path) override;
  FILE* OpenRead(const std::string& path) override;
  char Separator() const override { return '\\'; }

 private:
  std::vector<void*> m_previousCursors;  // cursors to put back
};

}  // namespace hvx
