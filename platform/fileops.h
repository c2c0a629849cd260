// The files of a headless conversion, named by UTF-8 paths on every platform
// (on POSIX systems the bytes as given; on Windows through the wide
// functions, long paths in the extended-length form, so any path Windows can
// open is opened).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace hvx {

// fopen with a path in UTF-8; mode as fopen's ("rb", "wb", "ab").
FILE* OpenFile(const std::string& path, const char* mode);

struct CFileStatus {
  bool exists = false;
  bool folder = false;
  uint64_t size = 0;
};
CFileStatus StatFile(const std::string& path);

// Which file a path names, links followed: device and inode on POSIX
// systems, volume serial number and file index on Windows. Not valid when
// the path names nothing that can be reached.
struct CFileId {
  bool valid = false;
  uint64_t volume = 0;
  uint64_t index = 0, indexHigh = 0;  // a 128-bit file id where the file system has one
  bool operator==(const CFileId& o) const {
    return valid && o.valid && volume == o.volume && index == o.index && indexHigh == o.indexHigh;
  }
};
CFileId FileIdOf(const std::string& path);

// Removes a file; false when it could not be removed.
bool RemoveFileAt(const std::string& path);
// Renames from to to, replacing a file already at to; the system's error
// number (0 on success).
int RenameOver(const std::string& from, const std::string& to);

// Folder separator of this platform's paths.
#if defined(_WIN32)
inline constexpr char kNativeSeparator = '\\';
#else
inline constexpr char kNativeSeparator = '/';
#endif

}  // namespace hvx
