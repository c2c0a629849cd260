#include "api/headless_env.h"

#include <atomic>
#include <cerrno>
#include <cstring>

#include "base/linesource.h"

#if defined(_WIN32)
#include <process.h>

#include "platform/wintext.h"
#else
#include <unistd.h>
#endif

namespace hvx {
namespace {

// A log kept in memory.
class CMemoryFile : public COutFile {
 public:
  explicit CMemoryFile(std::string& text) : m_text(text) {}
  void Write(const char* data, size_t size) override { m_text.append(data, size); }
  void Close() override {}
  void Abort() noexcept override {}

 private:
  std::string& m_text;
};

// A name beside path that no other conversion of this or another process
// uses at the same time.
std::string TemporaryName(const std::string& path) {
  static std::atomic<unsigned> counter{0};
#if defined(_WIN32)
  const long pid = _getpid();
#else
  const long pid = static_cast<long>(::getpid());
#endif
  return path + "." + std::to_string(pid) + "-" + std::to_string(counter.fetch_add(1)) + ".part";
}

// The .qsx: written under a temporary name and renamed over the final one
// when closed, or when a file error cut it short (the part written stays, as
// it would have with the file written in place). A cancelled conversion
// removes it, and the final name is left as it was. Errors name the final
// file, and creating it fails exactly when creating the final file would.
class CReplacingFile : public COutFile {
 public:
  CReplacingFile(std::string path, const CHeadlessEnv& env) : m_path(std::move(path)), m_env(env) {
    m_existed = StatFile(m_path).exists;
    // Opened for appending, the final file is neither truncated nor, when it
    // exists, changed at all; opening fails where creating it would.
    errno = 0;
    FILE* probe = OpenFile(m_path, "ab");
    if (!probe) throw CFileError::NotCreated(m_path, errno);
    std::fclose(probe);
    m_temp = TemporaryName(m_path);
    m_file = OpenFile(m_temp, "wb");
    if (!m_file) {
      // A folder that takes no new file may still hold a writable .qsx:
      // written in place then.
      m_temp.clear();
      m_file = OpenFile(m_path, "wb");
      if (!m_file) throw CFileError::NotCreated(m_path, errno);
    }
  }
  ~CReplacingFile() override { Abort(); }

  void Write(const char* data, size_t size) override {
    WriteStdio(m_file, m_path, data, size);
  }
  void Close() override {
    if (!m_file) return;
    FILE* f = m_file;
    m_file = nullptr;
    const int closeError = std::fclose(f) == 0 ? 0 : errno;
    const int renameError = Commit();
    if (closeError != 0) throw CFileError::NotWritten(m_path, closeError);
    if (renameError != 0) throw CFileError::NotCreated(m_path, renameError);
  }
  void Abort() noexcept override {
    if (!m_file) return;
    std::fclose(m_file);
    m_file = nullptr;
    if (!m_env.IsCancelled()) {
      Commit();
      return;
    }
    if (!m_temp.empty()) RemoveFileAt(m_temp);
    if (!m_existed) RemoveFileAt(m_path);
  }

 private:
  // Renames the temporary file to the final name; the system's error number.
  // The final file there (at least the empty one the probe left) is moved
  // aside first and removed afterwards: a rename over an existing file makes
  // some file systems (ext4) write all of the new file's data out at once,
  // which costs a large model a tenth of its conversion time. Between the
  // two renames the final name is absent for a moment. Where moving aside
  // fails, the rename goes over the file.
  int Commit() {
    if (m_temp.empty()) return 0;
    std::string aside = TemporaryName(m_path);
    if (RenameOver(m_path, aside) != 0) aside.clear();
    const int err = RenameOver(m_temp, m_path);
    if (err != 0) {
      RemoveFileAt(m_temp);
      if (!aside.empty()) RenameOver(aside, m_path);
    } else if (!aside.empty()) {
      RemoveFileAt(aside);
    }
    m_temp.clear();
    return err;
  }

  std::string m_path;
  std::string m_temp;  // empty when written in place
  const CHeadlessEnv& m_env;
  FILE* m_file = nullptr;
  bool m_existed = false;
};

}  // namespace

void CHeadlessEnv::MessageBox(const std::string& text) {
  if (m_openFailure.empty()) return AddError(text);
  AddError(text + " (" + m_openFailure + ")");
  m_openFailure.clear();
}

FILE* CHeadlessEnv::OpenRead(const std::string& path) {
  errno = 0;
  FILE* f = CStdioEnv::OpenRead(path);
  const int err = errno;
  m_openFailure.clear();
  if (!f) {
    const CFileStatus st = StatFile(path);
    const int why = st.folder ? EISDIR : !st.exists ? ENOENT : err != 0 ? err : EACCES;
    m_openFailure = path + ": " + std::strerror(why);
  }
  return f;
}

std::unique_ptr<COutFile> CHeadlessEnv::CreateFile(const std::string& path) {
  if (path == m_outputPath && !path.empty()) return std::make_unique<CReplacingFile>(path, *this);
  return CStdioEnv::CreateFile(path);
}

std::unique_ptr<COutFile> CHeadlessEnv::CreateLog(const std::string& modelPath, const char* name) {
  // The same cases give a log as with log files beside the model.
  if (FolderOf(modelPath, Separator()).empty()) return nullptr;
  std::string& text = m_logs[std::strcmp(name, kReadLogName) == 0 ? 0 : 1];
  text.clear();
  return std::make_unique<CMemoryFile>(text);
}

std::vector<std::string> CHeadlessEnv::LogLines(const std::string&) {
  std::vector<std::string> lines;
  for (const std::string& text : m_logs) {
    CMemoryLineSource src(text.data(), text.size());
    std::string line;
    while (src.ReadLine(line)) {
#if defined(_WIN32)
      // The catalogue's texts come in the ANSI code page.
      lines.push_back(AnsiToUtf8(line));
#else
      lines.push_back(line);
#endif
    }
  }
  return lines;
}

void CHeadlessEnv::RemoveLogs(const std::string&) {
  for (std::string& text : m_logs) text.clear();
}

}  // namespace hvx
