#include "host/dialogs_win.h"
// (windows.h first, through host/dialogs_win.h.)

#include <algorithm>

#include "base/msgcat.h"
#include "host/wintext.h"
#include "resources/dialogs.h"

namespace hvx {

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
    Browse(modelPath, kModelDefaultExt, "IDS_HALVEX_Model_File_Filter");
    return true;
  }
  if (id == IDC_RESULT_BROWSE) {
    Browse(resultPath, kResultDefaultExt, "IDS_HALVEX_Result_File_Filter");
    return true;
  }
  return false;
}

// Both fields from the stored paths.
void CFileInputDlg::Refresh() {
  ::SetDlgItemTextW(Handle(), IDC_MODEL_FILE, modelPath.c_str());
  ::SetDlgItemTextW(Handle(), IDC_RESULT_FILE, resultPath.c_str());
}

// The system's file-open dialog; on confirmation the chosen file becomes path
// and both fields are refreshed, on cancel nothing changes.
void CFileInputDlg::Browse(std::wstring& path, const char* defaultExt, const char* filterId) {
  // The catalogue keeps filters "|"-separated; the system wants them
  // NUL-separated and ending in two NULs.
  std::wstring filter = AnsiToWide(LookupMessage(filterId));
  std::replace(filter.begin(), filter.end(), L'|', L'\0');
  filter.push_back(L'\0');
  const std::wstring ext = AnsiToWide(defaultExt);
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

}  // namespace hvx
