#include "host/dialogs_win.h"
// (windows.h first, through host/dialogs_win.h.)

#include <algorithm>

#include "resources/dialogs.h"

namespace hvx {

BOOL CMsgDlg::OnInit() {
  const HWND list = ::GetDlgItem(Handle(), IDC_MESSAGE_LIST);
  if (!list) return TRUE;
  for (const std::wstring& line : m_lines)
    ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
  ::SendMessageW(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(WidestEntry(list)), 0);
  return TRUE;
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
