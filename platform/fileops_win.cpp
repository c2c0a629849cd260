#include "platform/win32.h"
// (windows.h first, through platform/win32.h.)

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/fileops.h"
#include "platform/winpath.h"
#include "platform/wintext.h"

namespace hvx {

FILE* OpenFile(const std::string& path, const char* mode) {
  if (path.empty()) return nullptr;
  return ::_wfopen(SystemPath(path).c_str(), Utf8ToWide(mode).c_str());
}

CFileStatus StatFile(const std::string& path) {
  CFileStatus s;
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (path.empty() || !::GetFileAttributesExW(SystemPath(path).c_str(), GetFileExInfoStandard, &data)) return s;
  s.exists = true;
  s.folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  s.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return s;
}

CFileId FileIdOf(const std::string& path) {
  CFileId id;
  if (path.empty()) return id;
  // No access asked for: the file's identity is readable even while another
  // program holds it open without sharing; folders need backup semantics.
  HANDLE h = ::CreateFileW(SystemPath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return id;
  // The 128-bit id where the file system has one (ReFS needs it); without
  // it, the volume serial number and the 64-bit file index.
  FILE_ID_INFO full{};
  BY_HANDLE_FILE_INFORMATION info{};
  if (::GetFileInformationByHandleEx(h, FileIdInfo, &full, sizeof full)) {
    id.valid = true;
    id.volume = full.VolumeSerialNumber;
    std::memcpy(&id.index, full.FileId.Identifier, 8);
    std::memcpy(&id.indexHigh, full.FileId.Identifier + 8, 8);
  } else if (::GetFileInformationByHandle(h, &info)) {
    id.valid = true;
    id.volume = info.dwVolumeSerialNumber;
    id.index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  }
  ::CloseHandle(h);
  return id;
}

bool RemoveFileAt(const std::string& path) { return ::DeleteFileW(SystemPath(path).c_str()) != 0; }

int RenameOver(const std::string& from, const std::string& to) {
  if (::MoveFileExW(SystemPath(from).c_str(), SystemPath(to).c_str(), MOVEFILE_REPLACE_EXISTING)) return 0;
  return ::GetLastError() == ERROR_ACCESS_DENIED ? EACCES : EIO;
}

}  // namespace hvx
