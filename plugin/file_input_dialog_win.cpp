#include "plugin/dialogs_win.h"
// (windows.h first, through plugin/dialogs_win.h.)

#include <algorithm>

#include "base/msgcat.h"
#include "platform/winpath.h"
#include "platform/wintext.h"
#include "resources/dialogs.h"

namespace hvx {
namespace {

// The current folder of the process, put back when this goes out of scope:
// the file-open dialog changes it (OFN_NOCHANGEDIR holds for saving only),
// and the host relies on its own.
class CCurrentFolderKept {
 public:
  CCurrentFolderKept() {
    const DWORD size = ::GetCurrentDirectoryW(0, nullptr);
    m_folder.resize(size);
    m_folder.resize(size ? ::GetCurrentDirectoryW(size, m_folder.data()) : 0);
  }
  ~CCurrentFolderKept() {
    if (!m_folder.empty()) ::SetCurrentDirectoryW(m_folder.c_str());
  }
  CCurrentFolderKept(const CCurrentFolderKept&) = delete;
  CCurrentFolderKept& operator=(const CCurrentFolderKept&) = delete;

 private:
  std::wstring m_folder;
};

// The folder of a path typed or chosen, when that folder exists.
std::wstring ExistingFolderOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return std::wstring();
  const std::wstring folder = path.substr(0, slash + 1);
  const DWORD attributes = ::GetFileAttributesW(SystemPath(WideToUtf8(folder)).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return std::wstring();
  return folder;
}

}  // namespace

BOOL CFileInputDlg::OnInit() {
  Refresh();
  return TRUE;
}

void CFileInputDlg::OnOk() {
  modelPath = DlgItemText(Handle(), IDC_MODEL_FILE);
  resultPath = DlgItemText(Handle(), IDC_RESULT_FILE);
  End(IDOK);
}

bool CFileInputDlg::OnButtonClicked(int id) {
  if (id == IDC_MODEL_BROWSE) {
    Browse(modelPath, IDC_MODEL_FILE, kModelDefaultExt, "IDS_HALVEX_Model_File_Filter");
    return true;
  }
  if (id == IDC_RESULT_BROWSE) {
    Browse(resultPath, IDC_RESULT_FILE, kResultDefaultExt, "IDS_HALVEX_Result_File_Filter");
    return true;
  }
  return false;
}

// Both fields from the stored paths.
void CFileInputDlg::Refresh() {
  ::SetDlgItemTextW(Handle(), IDC_MODEL_FILE, modelPath.c_str());
  ::SetDlgItemTextW(Handle(), IDC_RESULT_FILE, resultPath.c_str());
}

// The system's file-open dialog, opening in the folder of the path in the
// field (else of the model path in its field) when that folder exists; on
// confirmation the chosen file becomes path and both fields are refreshed, on
// cancel nothing changes.
void CFileInputDlg::Browse(std::wstring& path, int field, const char* defaultExt, const char* filterId) {
  // The catalogue keeps filters "|"-separated; the system wants them
  // NUL-separated and ending in two NULs.
  std::wstring filter = AnsiToWide(LookupMessage(filterId));
  std::replace(filter.begin(), filter.end(), L'|', L'\0');
  filter.push_back(L'\0');
  const std::wstring ext = AnsiToWide(defaultExt);
  std::wstring folder = ExistingFolderOf(DlgItemText(Handle(), field));
  if (folder.empty()) folder = ExistingFolderOf(DlgItemText(Handle(), IDC_MODEL_FILE));
  std::vector<wchar_t> file(32768, L'\0');

  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = Handle();
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  ofn.lpstrDefExt = ext.c_str();
  ofn.Flags = OFN_FILEMUSTEXIST | OFN_LONGNAMES | OFN_EXPLORER | OFN_HIDEREADONLY;
  BOOL chosen;
  {
    const CCurrentFolderKept kept;
    chosen = ::GetOpenFileNameW(&ofn);
  }
  if (!chosen) return;
  path = file.data();
  Refresh();
}

}  // namespace hvx
