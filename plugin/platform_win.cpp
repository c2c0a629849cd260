#include "platform/win32.h"
// (windows.h first, through platform/win32.h.)

#include <algorithm>
#include <cstdio>

#include "plugin/dialogs_win.h"
#include "plugin/platform_win.h"
#include "platform/winpath.h"
#include "platform/wintext.h"
#include "resources/dialogs.h"

namespace hvx {
namespace {

constexpr const wchar_t* kBoxCaption = L"ConvertHalvex";

// A file error of the Windows file functions, with the system's error code.
class CWinFileError : public CFileError {
 public:
  CWinFileError(const std::string& file, bool creating, DWORD error)
      : CFileError(file, creating ? kNotCreatedCause : kNotWrittenCause, 0),
        creating(creating),
        error(error) {}
  bool creating;
  DWORD error;
};

// A file written through WriteFile in pieces of 64 KiB; errors carry the
// system's code.
class CWinOutFile : public COutFile {
 public:
  CWinOutFile(HANDLE handle, std::string path) : m_handle(handle), m_path(std::move(path)) {}
  ~CWinOutFile() override { Abort(); }
  void Write(const char* data, size_t size) override {
    if (m_handle == INVALID_HANDLE_VALUE) throw CWinFileError(m_path, false, ERROR_INVALID_HANDLE);
    m_buffer.append(data, size);
    if (m_buffer.size() >= kPiece) Flush();
  }
  void Close() override {
    if (m_handle == INVALID_HANDLE_VALUE) return;
    const DWORD flushError = TryFlush();
    const HANDLE h = m_handle;
    m_handle = INVALID_HANDLE_VALUE;
    const DWORD closeError = ::CloseHandle(h) ? 0 : ::GetLastError();
    if (flushError != 0 || closeError != 0) throw CWinFileError(m_path, false, flushError ? flushError : closeError);
  }
  // What was written so far stays, as far as it goes.
  void Abort() noexcept override {
    if (m_handle == INVALID_HANDLE_VALUE) return;
    TryFlush();
    ::CloseHandle(m_handle);
    m_handle = INVALID_HANDLE_VALUE;
  }

 private:
  static constexpr size_t kPiece = 64 * 1024;
  void Flush() {
    if (const DWORD error = TryFlush()) throw CWinFileError(m_path, false, error);
  }
  // Writes the buffer out; the system's error code, 0 when all went.
  DWORD TryFlush() noexcept {
    size_t done = 0;
    DWORD error = 0;
    while (done < m_buffer.size()) {
      DWORD wrote = 0;
      const DWORD piece = static_cast<DWORD>(std::min<size_t>(m_buffer.size() - done, kPiece));
      if (!::WriteFile(m_handle, m_buffer.data() + done, piece, &wrote, nullptr) || wrote == 0) {
        error = ::GetLastError();
        if (error == 0) error = ERROR_WRITE_FAULT;
        break;
      }
      done += wrote;
    }
    m_buffer.erase(0, done);
    if (error != 0) m_buffer.clear();
    return error;
  }

  HANDLE m_handle;
  std::string m_path;
  std::string m_buffer;
};

// The system's text of an error code in the user's interface language, else
// in the system's; without its closing line end.
std::wstring SystemErrorText(DWORD error) {
  for (const DWORD language : {static_cast<DWORD>(::GetUserDefaultUILanguage()), DWORD{0}}) {
    wchar_t* text = nullptr;
    const DWORD n =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, error, language, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    if (n == 0 || !text) continue;
    std::wstring s(text, n);
    ::LocalFree(text);
    while (!s.empty() && (s.back() == L'\n' || s.back() == L'\r' || s.back() == L' ')) s.pop_back();
    return s;
  }
  return L"(" + std::to_wstring(error) + L")";
}

// A modal message box of the plug-in, owned as its dialogs are.
void ShowBox(const std::wstring& text) {
  const CModalScope scope;
  ::MessageBoxW(scope.Owner(), text.c_str(), kBoxCaption, MB_OK | MB_ICONERROR);
}

// A text of the plug-in's string table, or the English one given.
std::wstring PluginText(unsigned id, const char* english) {
  std::wstring text = PluginString(id);
  return text.empty() ? Utf8ToWide(english) : text;
}

}  // namespace

bool CWinPlatform::FileInputDialog(std::string& modelPath, std::string& resultPath) {
  CFileInputDlg dialog;
  if (dialog.DoModal(IDD_FILE_INPUT) != IDOK) return false;
  modelPath = WideToUtf8(dialog.modelPath);
  resultPath = WideToUtf8(dialog.resultPath);
  return true;
}

void CWinPlatform::MessageWindow(const std::vector<std::string>& lines) {
  std::vector<std::wstring> wide;
  wide.reserve(lines.size());
  for (const std::string& line : lines) wide.push_back(AnsiToWide(line));
  CMsgDlg dialog(wide);
  dialog.DoModal(IDD_MESSAGE_WINDOW);
}

void CWinPlatform::BeginWaitCursor() { m_previousCursors.push_back(::SetCursor(::LoadCursorW(nullptr, IDC_WAIT))); }

void CWinPlatform::EndWaitCursor() {
  if (m_previousCursors.empty()) return;
  ::SetCursor(static_cast<HCURSOR>(m_previousCursors.back()));
  m_previousCursors.pop_back();
}

bool CWinPlatform::FileStatus(const std::string& path, uint64_t* size) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (path.empty() || !::GetFileAttributesExW(SystemPath(path).c_str(), GetFileExInfoStandard, &data)) return false;
  if (size) *size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return true;
}

void CWinPlatform::RemoveFile(const std::string& path) {
  if (!path.empty()) ::DeleteFileW(SystemPath(path).c_str());
}

std::optional<std::string> CWinPlatform::HostPath(const std::string& path) { return HostPathOf(path); }

std::string CWinPlatform::HostText(const std::string& path) { return Utf8ToAnsi(path); }

void CWinPlatform::ShowPathNotForHost(const std::string& path) {
  ShowBox(PluginText(IDS_PATH_NOT_FOR_HOST, kPathNotForHostText) + L"\n\n" + Utf8ToWide(path));
}

void CWinPlatform::MessageBox(const std::string& text) { ShowBox(AnsiToWide(text)); }

void CWinPlatform::ShowFileError(const CFileError& e) {
  const auto* win = dynamic_cast<const CWinFileError*>(&e);
  if (!win) return ShowBox(Utf8ToWide(e.Message()));
  const std::wstring cause = win->creating ? PluginText(IDS_FILE_NOT_CREATED, kFileNotCreatedText)
                                           : PluginText(IDS_FILE_NOT_WRITTEN, kFileNotWrittenText);
  ShowBox(cause + L"\n" + Utf8ToWide(e.File()) + L"\n\n" + SystemErrorText(win->error));
}

std::unique_ptr<COutFile> CWinPlatform::CreateFile(const std::string& path) {
  // Create or truncate, write-only, no sharing; bytes as given, so lines keep
  // their single line feed.
  const HANDLE h = path.empty() ? INVALID_HANDLE_VALUE
                                : ::CreateFileW(SystemPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                                FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD error = path.empty() ? ERROR_PATH_NOT_FOUND : ::GetLastError();
    throw CWinFileError(path, true, error);
  }
  return std::make_unique<CWinOutFile>(h, path);
}

FILE* CWinPlatform::OpenRead(const std::string& path) {
  if (path.empty()) return nullptr;
  const std::wstring wide = SystemPath(path);
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
