#include "host/dialogs_win.h"

#include <algorithm>
#include <cstdint>

#include "host/dialog_language.h"

namespace hvx {
namespace {

HMODULE ModuleOfThisCode() {
  HMODULE module = nullptr;
  ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ModuleOfThisCode), &module);
  return module;
}

// Recorded when the library is loaded.
const HMODULE g_ownModule = ModuleOfThisCode();

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR param) {
  reinterpret_cast<std::vector<uint16_t>*>(param)->push_back(language);
  return TRUE;
}

}  // namespace

HMODULE OwnModule() { return g_ownModule; }

std::wstring DlgItemText(HWND dialog, int id) {
  const HWND item = ::GetDlgItem(dialog, id);
  const int length = item ? ::GetWindowTextLengthW(item) : 0;
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int got = item ? ::GetWindowTextW(item, text.data(), length + 1) : 0;
  text.resize(static_cast<size_t>(std::max(got, 0)));
  return text;
}

namespace {
// The template id from the module's resources in the user's interface
// language; nullptr when the module has none. Adding a language is adding
// its templates to the resources (resources/dialogs.rc).
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
}  // namespace

INT_PTR CDialog::DoModal(int templateId) {
  const HMODULE module = OwnModule();
  const DLGTEMPLATE* dialogTemplate = FindDialogTemplate(module, templateId);
  if (!dialogTemplate) return -1;
  return ::DialogBoxIndirectParamW(module, dialogTemplate, ::GetActiveWindow(), &CDialog::Procedure,
                                   reinterpret_cast<LPARAM>(this));
}

bool CDialog::OnCommand(int id, int code) {
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

INT_PTR CALLBACK CDialog::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
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

}  // namespace hvx
