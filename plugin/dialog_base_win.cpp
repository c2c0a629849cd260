#include "plugin/dialogs_win.h"
// (windows.h first, through plugin/dialogs_win.h.)

#include <commctrl.h>

#include <algorithm>
#include <cstdint>

#include "plugin/dialog_language.h"
#include "platform/winpath.h"
#include "resources/dialog_ids.h"

namespace hvx {
namespace {

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR param) {
  reinterpret_cast<std::vector<uint16_t>*>(param)->push_back(language);
  return TRUE;
}

// A resource of the plug-in in the user's interface language, else the
// nearest one it has (plugin/dialog_language.h); nullptr when it has none.
// Adding a language is adding its resources (resources/dialogs.rc).
const void* FindOwnResource(LPCWSTR type, LPCWSTR name) {
  const HMODULE module = OwnModule();
  std::vector<uint16_t> available;
  ::EnumResourceLanguagesW(module, type, name, &CollectLanguage, reinterpret_cast<LONG_PTR>(&available));
  const LANGID language = ChooseDialogLanguage(available, ::GetUserDefaultUILanguage());
  const HRSRC found = ::FindResourceExW(module, type, name, language);
  if (!found) return nullptr;
  const HGLOBAL loaded = ::LoadResource(module, found);
  return loaded ? ::LockResource(loaded) : nullptr;
}

// The plug-in's activation context, made once from its manifest; released
// when the plug-in is unloaded.
class CActivationContext {
 public:
  CActivationContext() {
    ACTCTXW context{};
    context.cbSize = sizeof context;
    context.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
    context.hModule = OwnModule();
    context.lpResourceName = MAKEINTRESOURCEW(IDR_PLUGIN_MANIFEST);
    m_handle = ::CreateActCtxW(&context);
  }
  ~CActivationContext() {
    if (m_handle != INVALID_HANDLE_VALUE) ::ReleaseActCtx(m_handle);
  }
  HANDLE Handle() const { return m_handle; }

 private:
  HANDLE m_handle;
};

HANDLE PluginContext() {
  static const CActivationContext context;
  return context.Handle();
}

BOOL CALLBACK FirstVisibleTopLevel(HWND hwnd, LPARAM found) {
  if (!::IsWindowVisible(hwnd) || (::GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD)) return TRUE;
  *reinterpret_cast<HWND*>(found) = hwnd;
  return FALSE;
}

HWND OwnerWindow() {
  if (const HWND active = ::GetActiveWindow()) return active;
  const HWND foreground = ::GetForegroundWindow();
  if (foreground && ::GetWindowThreadProcessId(foreground, nullptr) == ::GetCurrentThreadId()) return foreground;
  HWND first = nullptr;
  ::EnumThreadWindows(::GetCurrentThreadId(), &FirstVisibleTopLevel, reinterpret_cast<LPARAM>(&first));
  return first;
}

}  // namespace

CModalScope::CModalScope() : m_owner(OwnerWindow()) {
  const HANDLE context = PluginContext();
  if (context == INVALID_HANDLE_VALUE || !::ActivateActCtx(context, &m_cookie)) return;
  m_activated = true;
  // The version 6 controls, registered while the context is active.
  static const bool registered = [] {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    return ::InitCommonControlsEx(&controls) != FALSE;
  }();
  (void)registered;
}

CModalScope::~CModalScope() {
  if (m_activated) ::DeactivateActCtx(0, m_cookie);
}

std::wstring DlgItemText(HWND dialog, int id) {
  const HWND item = ::GetDlgItem(dialog, id);
  const int length = item ? ::GetWindowTextLengthW(item) : 0;
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int got = item ? ::GetWindowTextW(item, text.data(), length + 1) : 0;
  text.resize(static_cast<size_t>(std::max(got, 0)));
  return text;
}

std::wstring PluginString(unsigned id) {
  // Strings come in blocks of 16, each a length and that many characters.
  const auto* p = static_cast<const WCHAR*>(FindOwnResource(RT_STRING, MAKEINTRESOURCEW((id >> 4) + 1)));
  if (!p) return std::wstring();
  for (unsigned i = 0; i < (id & 15); ++i) p += 1 + *p;
  return std::wstring(p + 1, *p);
}

INT_PTR CDialog::DoModal(int templateId) {
  const auto* dialogTemplate =
      static_cast<const DLGTEMPLATE*>(FindOwnResource(RT_DIALOG, MAKEINTRESOURCEW(templateId)));
  if (!dialogTemplate) return -1;
  const CModalScope scope;
  return ::DialogBoxIndirectParamW(OwnModule(), dialogTemplate, scope.Owner(), &CDialog::Procedure,
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
