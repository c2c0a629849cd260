#include "base/env.h"

#include <cstring>

#include "base/linesource.h"

namespace hvx {

CFileError::CFileError(std::string file, std::string cause, int osError)
    : std::runtime_error(cause + ": " + file), m_file(std::move(file)), m_cause(std::move(cause)),
      m_osError(osError) {}

CFileError::CFileError(std::string file, std::string cause, int osError, std::string text)
    : CFileError(std::move(file), std::move(cause), osError) {
  m_text = std::move(text);
}

std::string CFileError::Message() const {
  if (!m_text.empty()) return m_text;
  std::string msg = m_cause;
  if (m_osError != 0) {
    msg += " (";
    msg += std::strerror(m_osError);
    msg += ")";
  }
  msg += ": ";
  msg += m_file;
  return msg;
}

std::unique_ptr<COutFile> IConvertEnv::CreateLog(const std::string& modelPath, const char* name) {
  const std::string folder = FolderOf(modelPath, Separator());
  if (folder.empty()) return nullptr;
  try {
    return CreateFile(folder + name);
  } catch (const CFileError&) {
    return nullptr;
  }
}

std::vector<std::string> IConvertEnv::LogLines(const std::string& modelPath) {
  std::vector<std::string> lines;
  const std::string folder = FolderOf(modelPath, Separator());
  if (folder.empty()) return lines;
  for (const char* name : {kReadLogName, kWriteLogName}) {
    FILE* f = OpenRead(folder + name);
    if (!f) continue;
    CFileLineSource src(f);
    std::string line;
    while (src.ReadLine(line)) lines.push_back(line);
    std::fclose(f);
  }
  return lines;
}

void IConvertEnv::RemoveLogs(const std::string& modelPath) {
  const std::string folder = FolderOf(modelPath, Separator());
  if (folder.empty()) return;
  RemoveFile(folder + kReadLogName);
  RemoveFile(folder + kWriteLogName);
}

std::string FolderOf(const std::string& path, char sep) {
  // Windows paths may also be written with slashes (C:/m/model.hvt, or a
  // host file named from a Unix shell under Wine).
  const size_t p = sep == '\\' ? path.find_last_of("\\/") : path.rfind(sep);
  return p == std::string::npos ? std::string() : path.substr(0, p + 1);
}

std::string ReplaceExtension(const std::string& path, const char* ext) {
  const size_t dot = path.rfind('.');
  return (dot == std::string::npos ? path : path.substr(0, dot)) + ext;
}

}  // namespace hvx
