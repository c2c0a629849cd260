#include "host/win32.h"
// (windows.h first, through host/win32.h.)

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "base/msgcat.h"
#include "host/dialog_language.h"
#include "host/platform_win.h"
#include "host/stdio_env.h"
#include "host/wintext.h"
#include "resources/dialogs.h"

namespace hvx {
namespace {

std::wstring Widen(const std::string& s) { return AnsiToWide(s); }
std::string Narrow(const std::wstring& w) { return WideToAnsi(w); }

std::wstring DlgItemText(HWND dialog, int id) {
  const HWND item = ::GetDlgItem(dialog, id);
  const int length = item ? ::GetWindowTextLengthW(item) : 0;
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int got = item ? ::GetWindowTextW(item, text.data(), length + 1) : 0;
  text.resize(static_cast<size_t>(std::max(got, 0)));
  return text;
}

// ---- Module and resource handles.

HMODULE ModuleOfThisCode() {
  HMODULE module = nullptr;
  ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ModuleOfThisCode), &module);
  return module;
}

// Recorded when the library is loaded.
const HMODULE g_ownModule = ModuleOfThisCode();

// ---- Dialog templates in the user's language.

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR param) {
  reinterpret_cast<std::vector<uint16_t>*>(param)->push_back(language);
  return TRUE;
}

// The dialog template id from the module's resources in the user's interface
// language; nullptr when the module has none. Adding a language is adding its
// templates to the resources (resources/dialogs.rc).
const DLGTEMPLATE* FindDialogTemplate(HMODULE module, int id) {
  std::vector<uint16_t> available;
  ::EnumResourceLanguagesW(module, RT_DIALOG, MAKEINTRESOURCEW(id), &CollectLanguage,
                           reinterpret_cast<LONG_PTR>(&available));
  const LANGID language = ChooseDialogLanguage(available, ::GetUserDefaultUILanguage());
  const HRSRC found = ::FindResourceExW(module, RT_DIALOG, MAKEINTRESOURCEW(id), language);
  if (!found) return nullptr;
  const HGLOBAL loaded = ::LoadResource(module, found);
  return loaded ? static_cast<const DLGTEMPLATE*>(::LockResource(loaded)) : nullptr;
}

// ---- A thin modal dialog over an HWND: one static procedure finds the object
// through the window's user data, stored at WM_INITDIALOG.

class CDialog {
 public:
  virtual ~CDialog() = default;

  // Runs the template modally; its end code, or -1 when it could not be shown.
  INT_PTR DoModal(int templateId) {
    const HMODULE module = g_ownModule;
    const DLGTEMPLATE* dialogTemplate = FindDialogTemplate(module, templateId);
    if (!dialogTemplate) return -1;
    return ::DialogBoxIndirectParamW(module, dialogTemplate, ::GetActiveWindow(), &CDialog::Procedure,
                                     reinterpret_cast<LPARAM>(this));
  }

 protected:
  HWND Handle() const { return m_hwnd; }
  void End(INT_PTR code) { ::EndDialog(m_hwnd, code); }

  // Return TRUE to let the system set the focus.
  virtual BOOL OnInit() { return TRUE; }
  virtual void OnOk() { End(IDOK); }
  virtual void OnCancel() { End(IDCANCEL); }
  // A button other than OK and Cancel; true when handled.
  virtual bool OnButtonClicked(int) { return false; }

 private:
  bool OnCommand(int id, int code) {
    if (id == IDOK) {
      OnOk();
      return true;
    }
    if (id == IDCANCEL) {
      OnCancel();
      return true;
    }
    return code == BN_CLICKED && OnButtonClicked(id);
  }

  static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
      auto* self = reinterpret_cast<CDialog*>(lParam);
      ::SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
      self->m_hwnd = hwnd;
      return self->OnInit();
    }
    auto* self = reinterpret_cast<CDialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!self) return FALSE;
    if (message == WM_COMMAND) return self->OnCommand(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
    return FALSE;
  }

  HWND m_hwnd = nullptr;
};

// The file input dialog: the model file and the result file.
class CFileInputDlg : public CDialog {
 public:
  std::wstring modelPath;
  std::wstring resultPath;

 protected:
  BOOL OnInit() override {
    Refresh();
    return TRUE;
  }
  void OnOk() override {
    modelPath = DlgItemText(Handle(), IDC_MODEL_FILE);
    resultPath = DlgItemText(Handle(), IDC_RESULT_FILE);
    End(IDOK);
  }
  bool OnButtonClicked(int id) override {
    if (id == IDC_MODEL_BROWSE) {
      Browse(modelPath, kModelDefaultExt, "IDS_HALVEX_Model_File_Filter");
      return true;
    }
    if (id == IDC_RESULT_BROWSE) {
      Browse(resultPath, kResultDefaultExt, "IDS_HALVEX_Result_File_Filter");
      return true;
    }
    return false;
  }

 private:
  // Both fields from the stored paths.
  void Refresh() {
    ::SetDlgItemTextW(Handle(), IDC_MODEL_FILE, modelPath.c_str());
    ::SetDlgItemTextW(Handle(), IDC_RESULT_FILE, resultPath.c_str());
  }

  // The system's file-open dialog; on confirmation the chosen file becomes
  // path and both fields are refreshed, on cancel nothing changes.
  void Browse(std::wstring& path, const char* defaultExt, const char* filterId) {
    // The catalogue keeps filters "|"-separated; the system wants them
    // NUL-separated and ending in two NULs.
    std::wstring filter = Widen(LookupMessage(filterId));
    std::replace(filter.begin(), filter.end(), L'|', L'\0');
    filter.push_back(L'\0');
    const std::wstring ext = Widen(defaultExt);
    std::vector<wchar_t> file(32768, L'\0');

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = Handle();
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrDefExt = ext.c_str();
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_LONGNAMES | OFN_EXPLORER | OFN_HIDEREADONLY;
    if (!::GetOpenFileNameW(&ofn)) return;
    path = file.data();
    Refresh();
  }
};

// The message window: the lines in a list box scrolled sideways as far as the
// widest one.
class CMsgDlg : public CDialog {
 public:
  explicit CMsgDlg(const std::vector<std::string>& lines) : m_lines(lines) {}

 protected:
  BOOL OnInit() override {
    const HWND list = ::GetDlgItem(Handle(), IDC_MESSAGE_LIST);
    if (!list) return TRUE;
    for (const std::string& line : m_lines) {
      const std::wstring text = Widen(line);
      ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    ::SendMessageW(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(WidestEntry(list)), 0);
    return TRUE;
  }

 private:
  // Width in pixels of the list box's widest entry in its own font.
  static LONG WidestEntry(HWND list) {
    const HDC dc = ::GetDC(list);
    if (!dc) return 0;
    const auto font = reinterpret_cast<HFONT>(::SendMessageW(list, WM_GETFONT, 0, 0));
    const HGDIOBJ previous = font ? ::SelectObject(dc, font) : nullptr;
    LONG widest = 0;
    const LRESULT count = ::SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
      const LRESULT length = ::SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
      if (length <= 0) continue;
      std::wstring text(static_cast<size_t>(length) + 1, L'\0');
      const LRESULT got =
          ::SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
      if (got <= 0) continue;
      SIZE size{};
      if (::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(got), &size)) widest = std::max(widest, size.cx);
    }
    if (previous) ::SelectObject(dc, previous);
    ::ReleaseDC(list, dc);
    return widest;
  }

  const std::vector<std::string>& m_lines;
};

// stdio's error numbers for the file layer's standard messages.
int ErrnoOrDefault(int fallback) { return errno != 0 ? errno : fallback; }

}  // namespace

void* OwnModule() { return g_ownModule; }

bool CWinPlatform::FileInputDialog(std::string& modelPath, std::string& resultPath) {
  CFileInputDlg dialog;
  if (dialog.DoModal(IDD_FILE_INPUT) != IDOK) return false;
  modelPath = Narrow(dialog.modelPath);
  resultPath = Narrow(dialog.resultPath);
  return true;
}

void CWinPlatform::MessageWindow(const std::vector<std::string>& lines) {
  CMsgDlg dialog(lines);
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
  if (path.empty() || !::GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data)) return false;
  if (size) *size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return true;
}

void CWinPlatform::RemoveFile(const std::string& path) {
  if (!path.empty()) ::DeleteFileW(Widen(path).c_str());
}

void CWinPlatform::MessageBox(const std::string& text) {
  ::MessageBoxW(::GetActiveWindow(), Widen(text).c_str(), L"ConvertHalvex", MB_OK);
}

std::unique_ptr<COutFile> CWinPlatform::CreateFile(const std::string& path) {
  // Create or truncate, write-only, binary: lines keep their single line feed.
  errno = 0;
  FILE* f = path.empty() ? nullptr : ::_wfopen(Widen(path).c_str(), L"wb");
  if (!f) throw CFileError(path, "The file could not be created", path.empty() ? ENOENT : ErrnoOrDefault(EACCES));
  return MakeStdioOutFile(f, path);
}

FILE* CWinPlatform::OpenRead(const std::string& path) {
  if (path.empty()) return nullptr;
  const std::wstring wide = Widen(path);
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
