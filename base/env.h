// What the core asks of its host: a message box for the user, files, and the
// two conversion logs. The host's platform layer supplies these
// (platform/stdio_env.h has the plain stdio version).
#pragma once

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace hvx {

class CConversionReport;
class CPieceNumbers;
class IProgress;

// The conversion logs: what reading and writing met.
inline constexpr const char* kReadLogName = "ReadErr.msg";
inline constexpr const char* kWriteLogName = "halvexcvt.msg";

// Thrown through reading and writing when the caller's progress callback
// asks to stop. Not a std::exception, so no handler for failures takes it.
struct CCancelled {};

// A failure of the file layer: which file, why, and the system's error code.
class CFileError : public std::runtime_error {
 public:
  CFileError(std::string file, std::string cause, int osError);
  // A failure whose message is text itself (a refusal the system knows no
  // words for).
  CFileError(std::string file, std::string cause, int osError, std::string text);
  // The two failures every file layer reports, in the words the user sees.
  // A file not created for no reason the system gave (osError 0) reads as
  // access denied.
  static CFileError NotCreated(const std::string& file, int osError) {
    return CFileError(file, kNotCreatedCause, osError != 0 ? osError : EACCES);
  }
  static CFileError NotWritten(const std::string& file, int osError) {
    return CFileError(file, kNotWrittenCause, osError);
  }
  static constexpr const char* kNotCreatedCause = "The file could not be created";
  static constexpr const char* kNotWrittenCause = "An error occurred while writing";
  const std::string& File() const { return m_file; }
  const std::string& Cause() const { return m_cause; }
  int OsError() const { return m_osError; }
  // The standard one-line message shown to the user.
  std::string Message() const;

 private:
  std::string m_file;
  std::string m_cause;
  int m_osError;
  std::string m_text;
};

// A file opened create-or-truncate, write-only. Write and Close raise
// CFileError; Abort closes without raising.
class COutFile {
 public:
  virtual ~COutFile() = default;
  virtual void Write(const char* data, size_t size) = 0;
  virtual void Close() = 0;
  virtual void Abort() noexcept = 0;
  // Writes a piece of text whose storage the file may take (text is then
  // left with any content): a file that keeps what it writes for later
  // need not copy it. numbers, when given, holds the numbers of the piece's
  // lines (see WantsNumbers), which the file may take as well.
  virtual void WritePiece(std::string& text, CPieceNumbers* numbers = nullptr) {
    (void)numbers;
    Write(text.data(), text.size());
  }
  // Whether the file would use the numbers of the lines of the pieces it is
  // given (it reads its text back).
  virtual bool WantsNumbers() const { return false; }
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
  // True when the file exists and can be reached; its size goes to *size.
  virtual bool FileStatus(const std::string& path, uint64_t* size = nullptr) = 0;
  // Removes a file if it exists.
  virtual void RemoveFile(const std::string& path) = 0;
  // Folder separator of the platform's paths.
  virtual char Separator() const { return '/'; }

  // The conversion log `name` (kReadLogName or kWriteLogName) of a model, or
  // nullptr for none. By default the file of that name in the model's folder,
  // created or truncated; none when the path has no folder or the file
  // cannot be created (an unwritable log never fails a conversion).
  virtual std::unique_ptr<COutFile> CreateLog(const std::string& modelPath, const char* name);
  // The lines both logs hold after a conversion, read log first, each in
  // pieces of at most 499 characters as a text-mode reader gets them.
  virtual std::vector<std::string> LogLines(const std::string& modelPath);
  // Deletes both logs.
  virtual void RemoveLogs(const std::string& modelPath);

  // The conversion is being cancelled (CCancelled is about to be thrown):
  // what it was writing is to be dropped.
  virtual void Cancelled() {}

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
