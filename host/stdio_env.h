// The stdio-backed environment: files through fopen, message boxes on standard
// error. The console and scripted platforms, tests and tools build on it.
#pragma once

#include "base/env.h"

namespace hvx {

// Folder separator of this platform's paths.
#if defined(_WIN32)
inline constexpr char kNativeSeparator = '\\';
#else
inline constexpr char kNativeSeparator = '/';
#endif

// stdio-backed environment; message boxes go to standard error.
class CStdioEnv : public IConvertEnv {
 public:
  void MessageBox(const std::string& text) override;
  std::unique_ptr<COutFile> CreateFile(const std::string& path) override;
  FILE* OpenRead(const std::string& path) override;
  char Separator() const override { return kNativeSeparator; }
};

IConvertEnv& DefaultEnv();
// A COutFile over an open stdio stream (binary, write-only), which it closes.
std::unique_ptr<COutFile> MakeStdioOutFile(FILE* f, std::string path);

}  // namespace hvx
