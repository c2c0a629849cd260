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
  void EnterModule() override;
  void LeaveModule() override;
  bool FileInputDialog(std::string& modelPath, std::string& resultPath) override;
  void MessageWindow(const std::vector<std::string>& lines) override;
  void BeginWaitCursor() override;
  void EndWaitCursor() override;
  bool FileStatus(const std::string& path) override;
  void RemoveFile(const std::string& path) override;

  void MessageBox(const std::string& text) override;
  std::unique_ptr<COutFile> CreateFile(const std::string& path) override;
  FILE* OpenRead(const std::string& path) override;
  char Separator() const override { return '\\'; }

 private:
  std::vector<void*> m_previousResources;  // resource modules to put back
  std::vector<void*> m_previousCursors;    // cursors to put back
};

// The module whose resources the dialogs come from: the plug-in's own while a
// call is inside it, else the one a host left current (or the plug-in's own).
void* CurrentResourceModule();
// The module (library or program) that holds this code, as recorded at load.
void* OwnModule();

}  // namespace hvx
