// Scripted platform for tests: the dialog answers from a script, message boxes
// and windows are recorded, and the file layer can be made to fail.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <deque>
#include <map>
#include <optional>

#include "plugin/platform.h"
#include "platform/stdio_env.h"

namespace hvx {

// Passes writes to the real file until the byte budget is spent, then fails
// as a full disk does.
class CFailingFile : public COutFile {
 public:
  CFailingFile(std::unique_ptr<COutFile> inner, std::string path, size_t budget)
      : m_inner(std::move(inner)), m_path(std::move(path)), m_budget(budget) {}
  void Write(const char* data, size_t size) override {
    const size_t n = std::min(size, m_budget);
    m_inner->Write(data, n);
    m_budget -= n;
    if (n < size) throw CFileError::NotWritten(m_path, ENOSPC);
  }
  void Close() override { m_inner->Close(); }
  void Abort() noexcept override { m_inner->Abort(); }

 private:
  std::unique_ptr<COutFile> m_inner;
  std::string m_path;
  size_t m_budget;
};

class CScriptedPlatform : public IPlatform {
 public:
  struct Answer {
    bool ok = true;
    std::string model;
    std::string result;
  };

  std::deque<Answer> answers;                     // one per dialog shown
  std::vector<std::string> messageBoxes;          // texts shown
  std::vector<std::vector<std::string>> windows;  // message window lists shown
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
  std::unique_ptr<COutFile> CreateFile(const std::string& path) override {
    if (!failCreatePath.empty() && path == failCreatePath)
      throw CFileError::NotCreated(path, EACCES);
    std::unique_ptr<COutFile> f = DefaultEnv().CreateFile(path);
    if (failWritePath.empty() || path != failWritePath) return f;
    return std::make_unique<CFailingFile>(std::move(f), path, failWriteAfter);
  }
  FILE* OpenRead(const std::string& path) override { return DefaultEnv().OpenRead(path); }
  bool FileInputDialog(std::string& modelPath, std::string& resultPath) override {
    if (answers.empty()) return false;
    const Answer a = answers.front();
    answers.pop_front();
    if (!a.ok) return false;
    modelPath = a.model;
    resultPath = a.result;
    return true;
  }
  void MessageWindow(const std::vector<std::string>& lines) override { windows.push_back(lines); }
  void BeginWaitCursor() override { ++waitCursorDepth; }
  void EndWaitCursor() override { --waitCursorDepth; }
  bool FileStatus(const std::string& path, uint64_t* size = nullptr) override {
    return DefaultEnv().FileStatus(path, size);
  }
  void RemoveFile(const std::string& path) override { ::unlink(path.c_str()); }
  std::optional<std::string> HostPath(const std::string& path) override {
    const auto it = hostForms.find(path);
    return it == hostForms.end() ? std::optional<std::string>(path) : it->second;
  }
  std::string HostText(const std::string& path) override { return "lossy " + path; }
};

}  // namespace hvx
