#include "platform/stdio_env.h"

#include <cerrno>
#include <cstdio>

namespace hvx {

namespace {
class CStdioOutFile : public COutFile {
 public:
  CStdioOutFile(FILE* f, std::string path) : m_file(f), m_path(std::move(path)) {}
  ~CStdioOutFile() override { Abort(); }
  void Write(const char* data, size_t size) override {
    WriteStdio(m_file, m_path, data, size);
  }
  void Close() override {
    if (!m_file) return;
    FILE* f = m_file;
    m_file = nullptr;
    if (std::fclose(f) != 0) {
      const int err = errno;
      throw CFileError::NotWritten(m_path, err);
    }
  }
  void Abort() noexcept override {
    if (m_file) std::fclose(m_file);
    m_file = nullptr;
  }

 private:
  FILE* m_file;
  std::string m_path;
};
}  // namespace

void CStdioEnv::MessageBox(const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); }

std::unique_ptr<COutFile> CStdioEnv::CreateFile(const std::string& path) {
  errno = 0;
  FILE* f = path.empty() ? nullptr : OpenFile(path, "wb");
  if (!f) throw CFileError::NotCreated(path, path.empty() ? ENOENT : errno);
  return MakeStdioOutFile(f, path);
}

void WriteStdio(FILE* f, const std::string& path, const char* data, size_t size) {
  if (!f) throw CFileError::NotWritten(path, EBADF);
  if (size != 0 && std::fwrite(data, 1, size, f) != size) {
    const int err = errno;
    throw CFileError::NotWritten(path, err);
  }
}

std::unique_ptr<COutFile> MakeStdioOutFile(FILE* f, std::string path) {
  return std::make_unique<CStdioOutFile>(f, std::move(path));
}

FILE* CStdioEnv::OpenRead(const std::string& path) {
  const CFileStatus st = StatFile(path);
  if (!st.exists || st.folder) return nullptr;
  return OpenFile(path, "rb");
}

bool CStdioEnv::FileStatus(const std::string& path, uint64_t* size) {
  const CFileStatus st = StatFile(path);
  if (size) *size = st.size;
  return st.exists;
}

void CStdioEnv::RemoveFile(const std::string& path) {
  if (!path.empty()) RemoveFileAt(path);
}

IConvertEnv& DefaultEnv() {
  static CStdioEnv env;
  return env;
}

}  // namespace hvx
