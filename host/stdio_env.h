// The stdio-backed environment: files through fopen, message boxes on standard
// error. The console and scripted platforms, tests and tools build on it.
#pragma once

#include "base/env.h"

namespace hvx {

// stdio-backed environment; message boxes go to standard error.
class CStdioEnv : public IConvertEnv {
 public:
  void MessageBox(const std::string& text) override;
  std::unique_ptr<COutFile> CreateFile(const std::string& path) override;
  FILE* OpenRead(const std::string& path) override;
};

IConvertEnv& DefaultEnv();

}  // namespace hvx
