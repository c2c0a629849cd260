#include "host/win32.h"
// (windows.h first, through host/win32.h.)

#include <cerrno>
#include <cstdio>

#include "host/dialogs_win.h"
#include "host/platform_win.h"
#include "host/stdio_env.h"
#include "host/wintext.h"
#include "resources/dialogs.h"

namespace hvx {
namespace {

// stdio's error numbers for the file layer's standard messages.
int ErrnoOrDefault(int fallback) { return errno != 0 ? errno : fallback; }

}  // namespace

bool CWinPlatform::FileInputDialog(std::string& modelPath, std::string& resultPath) {
  CFileInputDlg dialog;
  if (dialog.DoModal(IDD_FILE_INPUT) != IDOK) return false;
  modelPath = WideToAnsi(dialog.modelPath);
  resultPath = WideToAnsi(dialog.resultPath);
  return true;
}

void CWinPlatform::MessageWindow(const std::vector<std::string>& lines) {
  std::vector<std::wstring> wide;
  wide.reserve(lines.size());
  for (const std::string& line : lines) wide.push_back(AnsiToWide(line));
  CMsgDlg dialog(wide);
  dialog.DoModal(IDD_MESSAGE_WINDOW);
}

void CWinPlatform::BeginWaitCursor() {
  m_previousCursors.push_back(::SetCursor(::LoadCursorW(nullptr, IDC_WAIT)));
}

void CWinPlatform::EndWaitCursor() {
  if (m_previousCursors.empty()) return;
  ::SetCursor(static_cast<HCURSOR>(m_previousCursors.back()));
  m_previousCursors.pop_back();
}

bool CWinPlatform::FileStatus(const std::string& path, uint64_t* size) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (path.empty() || !::GetFileAttributesExW(AnsiToWide(path).c_str(), GetFileExInfoStandard, &data)) return false;
  if (size) *size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return true;
}

void CWinPlatform::RemoveFile(const std::string& path) {
  if (!path.empty()) ::DeleteFileW(AnsiToWide(path).c_str());
}

void CWinPlatform::MessageBox(const std::string& text) {
  ::MessageBoxW(::GetActiveWindow(), AnsiToWide(text).c_str(), L"ConvertHalvex", MB_OK);
}

std::unique_ptr<COutFile> CWinPlatform::CreateFile(const std::string& path) {
  // Create or truncate, write-only, binary: lines keep their single line feed.
  errno = 0;
  FILE* f = path.empty() ? nullptr : ::_wfopen(AnsiToWide(path).c_str(), L"wb");
  if (!f) throw CFileError(path, "The file could not be created", path.empty() ? ENOENT : ErrnoOrDefault(EACCES));
  return MakeStdioOutFile(f, path);
}

FILE* CWinPlatform::OpenRead(const std::string& path) {
  if (path.empty()) return nullptr;
  const std::wstring wide = AnsiToWide(path);
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return nullptr;
  // Binary: the line reader drops the carriage return of a CRLF itself.
  return ::_wfopen(wide.c_str(), L"rb");
}

IPlatform& DefaultPlatform() {
  static CWinPlatform windows;
  return windows;
}

}  // namespace hvx
