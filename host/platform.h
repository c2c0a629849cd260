// The platform layer: everything the conversion host needs from the operating
// system and its user interface, behind one interface. The console version
// serves the command line (and the plug-in on POSIX systems); the scripted
// version serves tests; the Windows version (host/platform_win.h) shows the
// dialogs of the plug-in's own resources, system message boxes and the wait
// cursor.
#pragma once

#include <string>
#include <vector>

#include "host/stdio_env.h"

namespace hvx {

class IPlatform : public IConvertEnv {
 public:
  // Enter and leave the library's own module state for one call, so its own
  // dialogs and strings are used and the host's state is put back afterwards.
  virtual void EnterModule() {}
  virtual void LeaveModule() {}

  // The file input dialog ("Model File", "Result File"): true on OK, with the
  // two paths; false when cancelled (the paths are then untouched).
  virtual bool FileInputDialog(std::string& modelPath, std::string& resultPath) = 0;
  // The message window: lists the lines modally until closed.
  virtual void MessageWindow(const std::vector<std::string>& lines) = 0;

  virtual void BeginWaitCursor() {}
  virtual void EndWaitCursor() {}

  // File status: true when the file exists and can be reached.
  virtual bool FileStatus(const std::string& path) = 0;
  // Removes a file if it exists.
  virtual void RemoveFile(const std::string& path) = 0;
};

// Terminal version: the dialog prompts for both paths on standard input (end
// of input cancels), the message window and boxes print.
class CConsolePlatform : public IPlatform {
 public:
  void MessageBox(const std::string& text) override;
  std::unique_ptr<COutFile> CreateFile(const std::string& path) override;
  FILE* OpenRead(const std::string& path) override;
  bool FileInputDialog(std::string& modelPath, std::string& resultPath) override;
  void MessageWindow(const std::vector<std::string>& lines) override;
  bool FileStatus(const std::string& path) override;
  void RemoveFile(const std::string& path) override;
  char Separator() const override { return kNativeSeparator; }
};

// The platform's own layer: the console one on POSIX systems, the dialogs on
// Windows (one definition per platform).
IPlatform& DefaultPlatform();
// The platform the exported entry points use; DefaultPlatform() unless a host
// set its own.
IPlatform& ActivePlatform();
void SetActivePlatform(IPlatform* platform);

}  // namespace hvx
