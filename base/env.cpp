#include "base/env.h"


#include <cstring>

namespace hvx {

CFileError::CFileError(std::string file, std::string cause, int osError)
    : std::runtime_error(cause + ": " + file), m_file(std::move(file)), m_cause(std::move(cause)),
      m_osError(osError) {}

std::string CFileError::Message() const {
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
