#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/fileops.h"

namespace hvx {

FILE* OpenFile(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }

CFileStatus StatFile(const std::string& path) {
  CFileStatus s;
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0) return s;
  s.exists = true;
  s.folder = S_ISDIR(st.st_mode);
  s.size = static_cast<uint64_t>(st.st_size);
  return s;
}

CFileId FileIdOf(const std::string& path) {
  CFileId id;
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0) return id;
  id.valid = true;
  id.volume = static_cast<uint64_t>(st.st_dev);
  id.index = static_cast<uint64_t>(st.st_ino);
  return id;
}

bool RemoveFileAt(const std::string& path) { return ::unlink(path.c_str()) == 0; }

int RenameOver(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

}  // namespace hvx
