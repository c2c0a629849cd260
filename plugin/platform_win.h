// Windows version of the platform layer: the file input dialog and the message
// window from the dialog templates in the plug-in's own resources
// (resources/dialogs.rc), system message boxes, the wait cursor and files
// through the wide Windows functions.
//
// Paths are UTF-8 here, as the user chose or typed them, so any path Windows
// can open is converted (long ones in the extended-length form). Toward the
// host they become 8-bit: the path in the ANSI code page, else its short
// form. Log lines and the catalogue's texts are in the ANSI code page.
#pragma once

#include <string>
#include <vector>

#include "plugin/platform.h"

namespace hvx {

class CWinPlatform : public IPlatform {
 public:
  bool FileInputDialog(std::string& modelPath, std::string& resultPath) override;
  void MessageWindow(const std::vector<std::string>& lines) override;
  void BeginWaitCursor() override;
  void EndWaitCursor() override;
  bool FileStatus(const std::string& path, uint64_t* size = nullptr) override;
  void RemoveFile(const std::string& path) override;
  std::optional<std::string> HostPath(const std::string& path) override;
  std::string HostText(const std::string& path) override;
  void ShowPathNotForHost(const std::string& path) override;

  void MessageBox(const std::string& text) override;
  // The cause in the user's language (the plug-in's string table), the file,
  // and the system's own text of the error in the user's language.
  void ShowFileError(const CFileError& e) override;
  std::unique_ptr<COutFile> CreateFile(const std::string& path) override;
  FILE* OpenRead(const std::string& path) override;
  char Separator() const override { return '\\'; }

 private:
  std::vector<void*> m_previousCursors;  // cursors to put back
};

}  // namespace hvx
