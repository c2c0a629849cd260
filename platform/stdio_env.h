// The stdio-backed environment: files through fopen (named in UTF-8, see
// platform/fileops.h), message boxes on standard error. The console platform,
// the headless conversion, tests and tools build on it.
#pragma once

#include "base/env.h"
#include "platform/fileops.h"

namespace hvx {

class CStdioEnv : public IConvertEnv {
 public:
  void MessageBox(const std::string& text) override;
  std::unique_ptr<COutFile> CreateFile(const std::string& path) override;
  FILE* OpenRead(const std::string& path) override;
  bool FileStatus(const std::string& path, uint64_t* size = nullptr) override;
  void RemoveFile(const std::string& path) override;
  char Separator() const override { return kNativeSeparator; }
};

IConvertEnv& DefaultEnv();
// A COutFile over an open stdio stream (binary, write-only), which it closes.
std::unique_ptr<COutFile> MakeStdioOutFile(FILE* f, std::string path);
// Writes to an open stream (null: closed already); a failure is a CFileError
// that names `path`.
void WriteStdio(FILE* f, const std::string& path, const char* data, size_t size);

}  // namespace hvx
