// The environment of a headless conversion: files named in UTF-8, message
// boxes gathered as error text (a box after a model that could not be opened
// followed by the file and the system's reason), the two logs kept in memory
// (nothing but the
// .qsx touches the disk), and the .qsx written under a temporary name beside
// it and renamed into place when complete, so that a cancelled conversion
// leaves a .qsx that was there before as it was.
#pragma once

#include <string>

#include "platform/stdio_env.h"

namespace hvx {

class CHeadlessEnv : public CStdioEnv {
 public:
  // The .qsx this conversion writes.
  explicit CHeadlessEnv(std::string outputPath) : m_outputPath(std::move(outputPath)) {}

  // Message box texts, each followed by "\n".
  const std::string& Errors() const { return m_errors; }
  void AddError(const std::string& line) { m_errors += line + "\n"; }

  void MessageBox(const std::string& text) override;
  std::unique_ptr<COutFile> CreateFile(const std::string& path) override;
  FILE* OpenRead(const std::string& path) override;
  std::unique_ptr<COutFile> CreateLog(const std::string& modelPath, const char* name) override;
  std::vector<std::string> LogLines(const std::string& modelPath) override;
  void RemoveLogs(const std::string& modelPath) override;
  void Cancelled() override { m_cancelled = true; }
  bool IsCancelled() const { return m_cancelled; }

 private:
  std::string m_outputPath;
  std::string m_errors;
  std::string m_openFailure;  // "path: reason" of a model that could not be opened
  std::string m_logs[2];      // read log, write log
  bool m_cancelled = false;
};

}  // namespace hvx
