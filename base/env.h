// What the core asks of its host: a message box for the user, and files. The
// host's platform layer supplies these (host/stdio_env.h has the plain stdio
// version).
#pragma once

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>

namespace hvx {

class CConversionReport;
class IProgress;

// A failure of the file layer: which file, why, and the system's error code.
class CFileError : public std::runtime_error {
 public:
  CFileError(std::string file, std::string cause, int osError);
  const std::string& File() const { return m_file; }
  const std::string& Cause() const { return m_cause; }
  int OsError() const { return m_osError; }
  // The standard one-line message shown to the user.
  std::string Message() const;

 private:
  std::string m_file;
  std::string m_cause;
  int m_osError;
};

// A file opened create-or-truncate, write-only. Write and Close raise
// CFileError; Abort closes without raising.
class COutFile {
 public:
  virtual ~COutFile() = default;
  virtual void Write(const char* data, size_t size) = 0;
  virtual void Close() = 0;
  virtual void Abort() noexcept = 0;
};

class IConvertEnv {
 public:
  virtual ~IConvertEnv() = default;
  // A modal message with an OK button.
  virtual void MessageBox(const std::string& text) = 0;
  // A file error's standard message, shown in a message box.
  virtual void ShowFileError(const CFileError& e) { MessageBox(e.Message()); }
  // Creates or truncates path for writing; raises CFileError on failure.
  virtual std::unique_ptr<COutFile> CreateFile(const std::string& path) = 0;
  // Opens a model file for reading; nullptr when it cannot be read as a file.
  virtual FILE* OpenRead(const std::string& path) = 0;
  // Folder separator of the platform's paths.
  virtual char Separator() const { return '/'; }
  // The report the conversion fills, or nullptr when none was asked for.
  virtual CConversionReport* Report() { return nullptr; }
  // Where the conversion tells its progress, or nullptr.
  virtual IProgress* Progress() { return nullptr; }
};

// Folder part of a path, up to and including its last separator ("\\" also
// takes "/"); empty when the path has none.
std::string FolderOf(const std::string& path, char sep);
// The path with the extension after its last "." replaced (or "ext" appended).
std::string ReplaceExtension(const std::string& path, const char* ext);

}  // namespace hvx
