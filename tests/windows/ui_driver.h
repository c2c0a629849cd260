// The test host's hand on the plug-in's dialogs: while the host's thread is
// inside a call of the plug-in, a second thread finds the dialogs of that
// thread, sets texts, clicks buttons by control id and reads what they show.
// Every wait gives up after kStepMs.
#pragma once

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/wintext.h"

namespace hosttest {

// The plug-in's dialog contract.
constexpr int kModelEdit = 19001, kResultEdit = 19002, kModelBrowse = 19003, kResultBrowse = 19005;
constexpr int kMessageList = 1000, kClose = 1;
constexpr DWORD kStepMs = 8000;  // longest wait for one dialog step

inline std::wstring W(const std::string& s) { return hvx::Utf8ToWide(s); }
inline std::string U(const std::wstring& w) { return hvx::WideToUtf8(w); }

// What went wrong in one scenario, one line each.
using Problems = std::vector<std::string>;
inline void Check(Problems& p, bool ok, const std::string& what) {
  if (!ok) p.push_back(what);
}
// A dialog step that did not happen: the scenario gives up.
struct Stuck {
  std::string what;
};

inline std::wstring WindowText(HWND h, bool className = false) {
  wchar_t buf[4096];
  return std::wstring(buf, className ? GetClassNameW(h, buf, 4096) : InternalGetWindowText(h, buf, 4096));
}
// Window enumeration callbacks (of the system's calling convention on x86):
// the visible dialogs; a message box's static texts and its number of buttons.
inline BOOL CALLBACK AddDialog(HWND h, LPARAM p) {
  if (IsWindowVisible(h) && WindowText(h, true) == L"#32770") reinterpret_cast<std::vector<HWND>*>(p)->push_back(h);
  return TRUE;
}
inline BOOL CALLBACK AddBoxItem(HWND h, LPARAM p) {
  auto* a = reinterpret_cast<std::pair<std::wstring, int>*>(p);
  if (IsWindowVisible(h) && WindowText(h, true) == L"Static") a->first += WindowText(h);
  if (IsWindowVisible(h) && WindowText(h, true) == L"Button") ++a->second;
  return TRUE;
}

class Driver {
 public:
  Driver(DWORD ui, const std::atomic<bool>& returned, Problems& p, HWND owner)
      : problems(p), m_owner(owner), m_ui(ui), m_returned(returned) {}
  Problems& problems;
  void Check(bool ok, const std::string& what) { hosttest::Check(problems, ok, what); }

  // The visible dialogs of the calling thread.
  std::vector<HWND> Dialogs() const {
    std::vector<HWND> v;
    EnumThreadWindows(m_ui, AddDialog, reinterpret_cast<LPARAM>(&v));
    return v;
  }
  // A visible dialog not met before, with this caption when one is given.
  HWND WaitDialog(const wchar_t* caption, const char* what) {
    for (DWORD t0 = GetTickCount(); GetTickCount() - t0 < kStepMs && !m_returned; Sleep(20))
      for (HWND h : Dialogs())
        if ((!caption || WindowText(h) == caption) && m_seen.insert(h).second)
          return Sleep(50), h;  // let it finish painting and focusing
    throw Stuck{std::string("no ") + what};
  }
  void WaitGone(HWND h, const char* what) {
    for (DWORD t0 = GetTickCount(); GetTickCount() - t0 < kStepMs; Sleep(20))
      if (!IsWindow(h) || !IsWindowVisible(h)) return;
    throw Stuck{std::string(what) + " did not close"};
  }
  LRESULT Send(HWND h, UINT msg, WPARAM w = 0, LPARAM l = 0) {
    DWORD_PTR r = 0;
    if (!SendMessageTimeoutW(h, msg, w, l, SMTO_NORMAL, kStepMs, &r)) throw Stuck{"no answer to a message"};
    return static_cast<LRESULT>(r);
  }
  HWND Item(HWND dlg, int id) {
    if (HWND c = GetDlgItem(dlg, id)) return c;
    throw Stuck{"no control " + std::to_string(id)};
  }
  // Posted, so a button that opens a modal dialog does not block this thread;
  // waits until the dialog closes when it names what it is.
  void Click(HWND dlg, int id, const char* closing = nullptr) {
    PostMessageW(Item(dlg, id), BM_CLICK, 0, 0);
    if (closing) WaitGone(dlg, closing);
  }
  void SetText(HWND dlg, int id, const std::string& text) {
    Send(Item(dlg, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(hvx::Utf8ToWide(text).c_str()));
  }
  // The text of a field, once it shows `want` or after a second: the plug-in
  // refreshes its fields after the file-open dialog is gone.
  std::string Text(HWND dlg, int id, const std::string& want = "") {
    wchar_t buf[2048];
    for (DWORD t0 = GetTickCount();; Sleep(20)) {
      const LRESULT n = Send(Item(dlg, id), WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(buf));
      const std::string text = U(std::wstring(buf, n));
      if (text == want || GetTickCount() - t0 >= (want.empty() ? 0 : 1000)) return text;
    }
  }
  // A system message box: checks that its text holds every part and that it
  // offers only OK, then presses OK.
  void DismissBox(const std::vector<std::string>& parts) {
    HWND box = WaitDialog(nullptr, "message box");
    if (m_owner) CheckModalTo(box, "message box");
    std::pair<std::wstring, int> acc;  // static texts, buttons
    EnumChildWindows(box, AddBoxItem, reinterpret_cast<LPARAM>(&acc));
    for (const std::string& part : parts)
      Check(U(acc.first).find(part) != std::string::npos,
            "message box says \"" + U(acc.first) + "\", not \"" + part + "\"");
    Check(acc.second == 1, "message box has " + std::to_string(acc.second) + " buttons, not only OK");
    Click(box, IDOK, "message box");
  }
  // Reads the message window, checks its lines and scroll range (and with
  // copy, that Ctrl+C puts them on the clipboard), closes it; returns the
  // widest line's width.
  int ReadMessages(const wchar_t* caption, const std::vector<std::wstring>& expected, bool copy) {
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
    const auto [got, want] = std::mismatch(lines.begin(), lines.end(), expected.begin(), expected.end());
    Check(lines == expected, "message window line " + std::to_string(got - lines.begin() + 1) + " is \"" +
                                 (got != lines.end() ? U(*got) : "(none)") + "\", expected \"" +
                                 (want != expected.end() ? U(*want) : "(none)") + "\"");
    const LRESULT extent = Send(list, LB_GETHORIZONTALEXTENT);
    Check(extent >= widest && extent <= widest + 40,
          "horizontal extent " + std::to_string(extent) + " for a widest line of " + std::to_string(widest) + " px");
    if (copy) CopyLines(dlg, expected);
    Click(dlg, kClose, "message window");
    return widest;
  }
  // Ctrl+C pressed as a user does (the list has the focus when the window
  // opens): the clipboard, emptied first, then holds every line.
  void CopyLines(HWND dlg, const std::vector<std::wstring>& expected) {
    if (OpenClipboard(nullptr)) EmptyClipboard(), CloseClipboard();
    INPUT input[4] = {};
    for (int k = 0; k < 4; ++k)  // Ctrl down, C down, C up, Ctrl up
      input[k].type = INPUT_KEYBOARD, input[k].ki.wVk = k == 1 || k == 2 ? 'C' : VK_CONTROL,
      input[k].ki.dwFlags = k < 2 ? 0 : KEYEVENTF_KEYUP;
    std::wstring want, got;
    for (const std::wstring& line : expected) want += line + L"\r\n";
    // Pressed again each second while nothing came: under load a key can
    // reach the window before it is in front.
    for (DWORD t0 = GetTickCount(), n = 0; got.empty() && GetTickCount() - t0 < 10000; Sleep(20), ++n) {
      if (n % 50 == 0) {
        SetForegroundWindow(dlg);
        Check(SendInput(4, input, sizeof(INPUT)) == 4, "Ctrl+C could not be pressed");
      }
      if (!OpenClipboard(nullptr)) continue;
      if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* text = static_cast<const wchar_t*>(GlobalLock(h))) got = text;
        GlobalUnlock(h);
      }
      CloseClipboard();
    }
    Check(got == want, "the clipboard holds \"" + U(got) + "\" after Ctrl+C, not the window's lines");
  }
  // A modal dialog of a host with a window: owned by it, the host disabled.
  void CheckModalTo(HWND dlg, const char* what) {
    Check(GetWindow(dlg, GW_OWNER) == m_owner, std::string(what) + " is not owned by the host's window");
    Check(!IsWindowEnabled(m_owner), std::string("the host's window is enabled while the ") + what + " shows");
  }
  // After the script (noting): until the call returns, any further dialog is
  // a fault, noted and closed, and a call that does not return gives up.
  // Given up: closes whatever the plug-in has open until its call returns.
  void Drain(bool noting) {
    for (DWORD t0 = GetTickCount(); !m_returned; Sleep(noting ? 20 : 100)) {
      for (HWND h : Dialogs())
        if (m_seen.insert(h).second || !noting) {
          if (noting) problems.push_back("unexpected dialog \"" + U(WindowText(h)) + "\"");
          PostMessageW(h, WM_COMMAND, IDCANCEL, 0);
          if (!noting) PostMessageW(h, WM_CLOSE, 0, 0);
        }
      if (noting && GetTickCount() - t0 > kStepMs) throw Stuck{"the call did not return"};
      if (GetTickCount() - t0 > 3 * kStepMs) {
        std::printf("FATAL: the plug-in's dialogs cannot be closed\n");
        std::fflush(stdout);
        TerminateProcess(GetCurrentProcess(), 3);
      }
    }
  }

 private:
  HWND m_owner;  // the host's window, when it has one
  DWORD m_ui;
  const std::atomic<bool>& m_returned;
  std::set<HWND> m_seen;
};

// Runs `call` (a call of the plug-in) on this thread while `drive` works its
// dialogs from a second thread, then checks that the host's activation
// context is the same before and after; the call's result.
inline int CallWhileDriving(Problems& p, const std::function<void(Driver&)>& drive, const std::function<int()>& call,
                            HWND owner = nullptr) {
  std::atomic<bool> returned{false};
  Driver d(GetCurrentThreadId(), returned, p, owner);
  std::thread t([&] {
    try {
      drive(d);
      d.Drain(true);
    } catch (const Stuck& s) {
      d.problems.push_back("gave up: " + s.what);
      d.Drain(false);
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
