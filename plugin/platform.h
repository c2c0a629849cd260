// The platform layer of the plug-in: its two dialogs, the wait cursor and
// everything the conversion asks of the system, behind one interface. The
// console version serves the plug-in on POSIX systems; the Windows version
// (plugin/platform_win.h) shows the dialogs of the plug-in's own resources,
// system message boxes and the wait cursor; tests script their own.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/env.h"

namespace hvx {

class IPlatform : public IConvertEnv {
 public:
  // The file input dialog ("Model File", "Result File"): true on OK, with the
  // two paths; false when cancelled (the paths are then untouched).
  virtual bool FileInputDialog(std::string& modelPath, std::string& resultPath) = 0;
  // The message window: lists the lines modally until closed.
  virtual void MessageWindow(const std::vector<std::string>& lines) = 0;

  virtual void BeginWaitCursor() {}
  virtual void EndWaitCursor() {}

  // Paths are the platform's own text (on Windows UTF-8, whatever the code
  // page); the host's 8-bit interface (ConvertFile2's out-parameters, the
  // message window's lines) may hold less. The text of a path there, or
  // nothing when it cannot be given (on Windows: neither the path nor its
  // short form fits the ANSI code page). By default the path itself.
  virtual std::optional<std::string> HostPath(const std::string& path) { return path; }
  // The same at any cost: characters that do not fit are replaced.
  virtual std::string HostText(const std::string& path) { return path; }
  // Tells the user that the model at path cannot be converted here, because
  // the path of its .qsx could not be handed to the host.
  virtual void ShowPathNotForHost(const std::string& path);
};

// Terminal version: the dialog prompts for both paths on standard input (end
// of input cancels), the message window prints on standard output and
// message boxes on standard error; files as the stdio environment has them.
class CConsolePlatform : public IPlatform {
 public:
  void MessageBox(const std::string& text) override;
  std::unique_ptr<COutFile> CreateFile(const std::string& path) override;
  FILE* OpenRead(const std::string& path) override;
  bool FileStatus(const std::string& path, uint64_t* size = nullptr) override;
  void RemoveFile(const std::string& path) override;
  char Separator() const override;
  bool FileInputDialog(std::string& modelPath, std::string& resultPath) override;
  void MessageWindow(const std::vector<std::string>& lines) override;
};

// The platform's own layer: the console one on POSIX systems, the dialogs on
// Windows (one definition per platform).
IPlatform& DefaultPlatform();

}  // namespace hvx
