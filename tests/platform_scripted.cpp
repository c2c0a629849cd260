#include "tests/platform_scripted.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace hvx {
namespace {
// Passes writes to the real file until the byte budget is spent, then fails
// as a full disk does.
class CFailingFile : public COutFile {
 public:
  CFailingFile(std::unique_ptr<COutFile> inner, std::string path, size_t budget)
      : m_inner(std::move(inner)), m_path(std::move(path)), m_budget(budget) {}
  void Write(const char* data, size_t size) override {
    if (size > m_budget) {
      m_inner->Write(data, m_budget);
      m_budget = 0;
      throw CFileError(m_path, "An error occurred while writing", ENOSPC);
    }
    m_budget -= size;
    m_inner->Write(data, size);
  }
  void Close() override { m_inner->Close(); }
  void Abort() noexcept override { m_inner->Abort(); }

 private:
  std::unique_ptr<COutFile> m_inner;
  std::string m_path;
  size_t m_budget;
};
}  // namespace

std::unique_ptr<COutFile> CScriptedPlatform::CreateFile(const std::string& path) {
  if (!failCreatePath.empty() && path == failCreatePath)
    throw CFileError(path, "The file could not be created", EACCES);
  std::unique_ptr<COutFile> f = DefaultEnv().CreateFile(path);
  if (!failWritePath.empty() && path == failWritePath)
    return std::make_unique<CFailingFile>(std::move(f), path, failWriteAfter);
  return f;
}

bool CScriptedPlatform::FileInputDialog(std::string& modelPath, std::string& resultPath) {
  if (answers.empty()) return false;
  const Answer a = answers.front();
  answers.pop_front();
  if (!a.ok) return false;
  modelPath = a.model;
  resultPath = a.result;
  return true;
}

bool CScriptedPlatform::FileStatus(const std::string& path, uint64_t* size) {
  return DefaultEnv().FileStatus(path, size);
}

void CScriptedPlatform::RemoveFile(const std::string& path) {
  ::unlink(path.c_str());
}

}  // namespace hvx
