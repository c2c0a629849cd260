#include "plugin/dialogs_win.h"
// (windows.h first, through plugin/dialogs_win.h.)

#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "resources/dialogs.h"

namespace hvx {

BOOL CMsgDlg::OnInit() {
  const HWND list = ::GetDlgItem(Handle(), IDC_MESSAGE_LIST);
  if (!list) return TRUE;
  for (const std::wstring& line : m_lines)
    ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
  ::SendMessageW(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(WidestEntry(list)), 0);
  // The lines cannot be selected; Ctrl+C takes them all, wherever the focus is.
  for (const int id : {IDC_MESSAGE_LIST, IDOK})
    if (const HWND control = ::GetDlgItem(Handle(), id))
      ::SetWindowSubclass(control, &CMsgDlg::KeyProcedure, 0, reinterpret_cast<DWORD_PTR>(this));
  return TRUE;
}

LRESULT CALLBACK CMsgDlg::KeyProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR self) {
  const bool ctrl = ::GetKeyState(VK_CONTROL) < 0;
  if (message == WM_KEYDOWN && wParam == 'C' && ctrl) {
    reinterpret_cast<const CMsgDlg*>(self)->CopyLines();
    return 0;
  }
  // The character Ctrl+C makes (no beep, no search in the list).
  if (message == WM_CHAR && wParam == 3) return 0;
  if (message == WM_NCDESTROY) ::RemoveWindowSubclass(hwnd, &CMsgDlg::KeyProcedure, id);
  return ::DefSubclassProc(hwnd, message, wParam, lParam);
}

// All lines as Unicode text on the clipboard, each ending in CR LF.
void CMsgDlg::CopyLines() const {
  std::wstring text;
  for (const std::wstring& line : m_lines) text += line + L"\r\n";
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  const HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (!memory) return;
  if (void* p = ::GlobalLock(memory)) {
    std::memcpy(p, text.c_str(), bytes);
    ::GlobalUnlock(memory);
  }
  if (!::OpenClipboard(Handle())) {
    ::GlobalFree(memory);
    return;
  }
  ::EmptyClipboard();
  if (!::SetClipboardData(CF_UNICODETEXT, memory)) ::GlobalFree(memory);
  ::CloseClipboard();
}

// Width in pixels of the list box's widest entry in its own font.
LONG CMsgDlg::WidestEntry(HWND list) {
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
    const LRESULT got = ::SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
    if (got <= 0) continue;
    SIZE size{};
    if (::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(got), &size)) widest = std::max(widest, size.cx);
  }
  if (previous) ::SelectObject(dc, previous);
  ::ReleaseDC(list, dc);
  return widest;
}

}  // namespace hvx
