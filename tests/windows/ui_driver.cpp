#include "tests/windows/ui_driver.h"

#include <algorithm>
#include <cstdio>
#include <thread>

#include "platform/wintext.h"

namespace hosttest {
namespace {
std::wstring W(const std::string& s) { return hvx::Utf8ToWide(s); }
std::string U(const std::wstring& w) { return hvx::WideToUtf8(w); }
}  // namespace

std::wstring WindowText(HWND h) {
  wchar_t buf[4096];
  return std::wstring(buf, InternalGetWindowText(h, buf, 4096));
}
std::wstring ClassOf(HWND h) {
  wchar_t buf[64];
  return std::wstring(buf, GetClassNameW(h, buf, 64));
}

namespace {
// Window enumeration callbacks (of the system's calling convention on x86).
BOOL CALLBACK AddDialog(HWND h, LPARAM p) {
  if (IsWindowVisible(h) && ClassOf(h) == L"#32770") reinterpret_cast<std::vector<HWND>*>(p)->push_back(h);
  return TRUE;
}
// A message box's static texts and its number of buttons.
BOOL CALLBACK AddBoxItem(HWND h, LPARAM p) {
  auto* a = reinterpret_cast<std::pair<std::string, int>*>(p);
  if (IsWindowVisible(h) && ClassOf(h) == L"Static") a->first += U(WindowText(h));
  if (IsWindowVisible(h) && ClassOf(h) == L"Button") ++a->second;
  return TRUE;
}
}  // namespace

std::vector<HWND> Driver::Dialogs() const {
  std::vector<HWND> v;
  EnumThreadWindows(m_ui, AddDialog, reinterpret_cast<LPARAM>(&v));
  return v;
}

HWND Driver::WaitDialog(const wchar_t* caption, const char* what) {
  for (DWORD t0 = GetTickCount(); GetTickCount() - t0 < kStepMs && !m_returned; Sleep(20))
    for (HWND h : Dialogs())
      if (!m_seen.count(h) && (!caption || WindowText(h) == caption)) {
        m_seen.insert(h);
        Sleep(50);  // let it finish painting and focusing
        return h;
      }
  throw Stuck{std::string("no ") + what};
}

void Driver::WaitGone(HWND h, const char* what) {
  for (DWORD t0 = GetTickCount(); GetTickCount() - t0 < kStepMs; Sleep(20))
    if (!IsWindow(h) || !IsWindowVisible(h)) return;
  throw Stuck{std::string(what) + " did not close"};
}

LRESULT Driver::Send(HWND h, UINT msg, WPARAM w, LPARAM l) {
  DWORD_PTR r = 0;
  if (!SendMessageTimeoutW(h, msg, w, l, SMTO_NORMAL, kStepMs, &r)) throw Stuck{"no answer to a message"};
  return static_cast<LRESULT>(r);
}

HWND Driver::Item(HWND dlg, int id) {
  if (HWND c = GetDlgItem(dlg, id)) return c;
  throw Stuck{"no control " + std::to_string(id)};
}

void Driver::Click(HWND dlg, int id, const char* closing) {
  PostMessageW(Item(dlg, id), BM_CLICK, 0, 0);
  if (closing) WaitGone(dlg, closing);
}

void Driver::SetText(HWND dlg, int id, const std::string& text) {
  Send(Item(dlg, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(W(text).c_str()));
}

std::string Driver::Text(HWND dlg, int id, const std::string& want) {
  wchar_t buf[2048];
  for (DWORD t0 = GetTickCount();; Sleep(20)) {
    const LRESULT n = Send(Item(dlg, id), WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(buf));
    const std::string text = U(std::wstring(buf, n));
    if (text == want || GetTickCount() - t0 >= (want.empty() ? 0 : 1000)) return text;
  }
}

void Driver::DismissBox(const std::vector<std::string>& parts) {
  HWND box = WaitDialog(nullptr, "message box");
  if (m_owner) CheckModalTo(box, "message box");
  std::pair<std::string, int> acc;  // static texts, buttons
  EnumChildWindows(box, AddBoxItem, reinterpret_cast<LPARAM>(&acc));
  for (const std::string& part : parts)
    Check(acc.first.find(part) != std::string::npos, "message box says \"" + acc.first + "\", not \"" + part + "\"");
  Check(acc.second == 1, "message box has " + std::to_string(acc.second) + " buttons, not only OK");
  Click(box, IDOK, "message box");
}

int Driver::ReadMessages(const wchar_t* caption, const std::vector<std::wstring>& expected, bool copy) {
  HWND dlg = WaitDialog(caption, "message window"), list = Item(dlg, kMessageList);
  if (m_owner) CheckModalTo(dlg, "message window");
  std::vector<std::wstring> lines;
  int widest = 0;  // in the list box's own font
  HDC dc = GetDC(list);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(Send(list, WM_GETFONT)));
  for (LRESULT i = 0, n = Send(list, LB_GETCOUNT); i < n; ++i) {
    std::wstring w(Send(list, LB_GETTEXTLEN, i) + 1, L'\0');
    w.resize(std::max<LRESULT>(0, Send(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(w.data()))));
    SIZE size{};
    GetTextExtentPoint32W(dc, w.c_str(), static_cast<int>(w.size()), &size);
    widest = std::max<int>(widest, size.cx);
    lines.push_back(w);
  }
  SelectObject(dc, old);
  ReleaseDC(list, dc);
  size_t i = 0;
  while (i < lines.size() && i < expected.size() && lines[i] == expected[i]) ++i;
  Check(lines == expected, "message window line " + std::to_string(i + 1) + " is \"" +
                               (i < lines.size() ? U(lines[i]) : "(none)") + "\", expected \"" +
                               (i < expected.size() ? U(expected[i]) : "(none)") + "\"");
  const LRESULT extent = Send(list, LB_GETHORIZONTALEXTENT);
  Check(extent >= widest && extent <= widest + 40,
        "horizontal extent " + std::to_string(extent) + " for a widest line of " + std::to_string(widest) + " px");
  if (copy) CopyLines(dlg, expected);
  Click(dlg, kClose, "message window");
  return widest;
}

void Driver::CopyLines(HWND dlg, const std::vector<std::wstring>& expected) {
  if (OpenClipboard(nullptr)) {
    EmptyClipboard();
    CloseClipboard();
  }
  SetForegroundWindow(dlg);
  const WORD keys[4][2] = {{VK_CONTROL, 0}, {'C', 0}, {'C', KEYEVENTF_KEYUP}, {VK_CONTROL, KEYEVENTF_KEYUP}};
  INPUT input[4] = {};
  for (int k = 0; k < 4; ++k) {
    input[k].type = INPUT_KEYBOARD;
    input[k].ki.wVk = keys[k][0];
    input[k].ki.dwFlags = keys[k][1];
  }
  Check(SendInput(4, input, sizeof(INPUT)) == 4, "Ctrl+C could not be pressed");
  std::wstring want, got;
  for (const std::wstring& line : expected) want += line + L"\r\n";
  for (DWORD t0 = GetTickCount(); got.empty() && GetTickCount() - t0 < 3000; Sleep(20)) {
    if (!OpenClipboard(nullptr)) continue;
    if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
      if (const auto* text = static_cast<const wchar_t*>(GlobalLock(h))) got = text;
      GlobalUnlock(h);
    }
    CloseClipboard();
  }
  Check(got == want, "the clipboard holds \"" + U(got) + "\" after Ctrl+C, not the window's lines");
}

void Driver::CheckModalTo(HWND dlg, const char* what) {
  Check(GetWindow(dlg, GW_OWNER) == m_owner, std::string(what) + " is not owned by the host's window");
  Check(!IsWindowEnabled(m_owner), std::string("the host's window is enabled while the ") + what + " shows");
}

void Driver::Tail() {
  for (DWORD t0 = GetTickCount(); !m_returned; Sleep(20)) {
    for (HWND h : Dialogs())
      if (m_seen.insert(h).second) {
        problems.push_back("unexpected dialog \"" + U(WindowText(h)) + "\"");
        PostMessageW(h, WM_COMMAND, IDCANCEL, 0);
      }
    if (GetTickCount() - t0 > kStepMs) throw Stuck{"the call did not return"};
  }
}

void Driver::CloseAll() {
  for (DWORD t0 = GetTickCount(); !m_returned; Sleep(100)) {
    for (HWND h : Dialogs()) {
      PostMessageW(h, WM_COMMAND, IDCANCEL, 0);
      PostMessageW(h, WM_CLOSE, 0, 0);
    }
    if (GetTickCount() - t0 > 3 * kStepMs) {
      std::printf("FATAL: the plug-in's dialogs cannot be closed\n");
      std::fflush(stdout);
      TerminateProcess(GetCurrentProcess(), 3);
    }
  }
}

int CallWhileDriving(Problems& p, const std::function<void(Driver&)>& drive, const std::function<int()>& call,
                     HWND owner) {
  std::atomic<bool> returned{false};
  Driver d(GetCurrentThreadId(), returned, p);
  d.m_owner = owner;
  std::thread t([&] {
    try {
      drive(d);
      d.Tail();
    } catch (const Stuck& s) {
      d.problems.push_back("gave up: " + s.what);
      d.CloseAll();
    }
  });
  HANDLE before = nullptr, after = nullptr;
  GetCurrentActCtx(&before);
  const int rc = call();
  GetCurrentActCtx(&after);
  returned = true;
  t.join();
  Check(p, before == after, "the host's activation context is not the same after the call");
  for (HANDLE h : {before, after})
    if (h) ReleaseActCtx(h);
  return rc;
}

}  // namespace hosttest
