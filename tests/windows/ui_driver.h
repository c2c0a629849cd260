// The test host's hand on the plug-in's dialogs: while the host's thread is
// inside a call of the plug-in, a second thread finds the dialogs of that
// thread, sets texts, clicks buttons by control id and reads what they show.
// Every wait gives up after kStepMs.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace hosttest {

// The plug-in's dialog contract.
constexpr int kModelEdit = 19001, kResultEdit = 19002, kModelBrowse = 19003, kResultBrowse = 19005;
constexpr int kMessageList = 1000, kClose = 1;
constexpr DWORD kStepMs = 8000;  // longest wait for one dialog step

// What went wrong in one scenario, one line each.
using Problems = std::vector<std::string>;
inline void Check(Problems& p, bool ok, const std::string& what) {
  if (!ok) p.push_back(what);
}
// A dialog step that did not happen: the scenario gives up.
struct Stuck {
  std::string what;
};

std::wstring WindowText(HWND h);
std::wstring ClassOf(HWND h);

class Driver {
 public:
  Driver(DWORD ui, const std::atomic<bool>& returned, Problems& p) : problems(p), m_ui(ui), m_returned(returned) {}
  Problems& problems;
  void Check(bool ok, const std::string& what) { hosttest::Check(problems, ok, what); }

  // The visible dialogs of the calling thread.
  std::vector<HWND> Dialogs() const;
  // A visible dialog not met before, with this caption when one is given.
  HWND WaitDialog(const wchar_t* caption, const char* what);
  void WaitGone(HWND h, const char* what);
  LRESULT Send(HWND h, UINT msg, WPARAM w = 0, LPARAM l = 0);
  HWND Item(HWND dlg, int id);
  // Posted, so a button that opens a modal dialog does not block this thread;
  // waits until the dialog closes when it names what it is.
  void Click(HWND dlg, int id, const char* closing = nullptr);
  void SetText(HWND dlg, int id, const std::string& text);
  // The text of a field, once it shows `want` or after a second: the plug-in
  // refreshes its fields after the file-open dialog is gone.
  std::string Text(HWND dlg, int id, const std::string& want = "");
  // A system message box: checks that its text holds every part and that it
  // offers only OK, then presses OK.
  void DismissBox(const std::vector<std::string>& parts);
  // Reads the message window, checks its lines and scroll range (and with
  // copy, that Ctrl+C puts them on the clipboard), closes it; returns the
  // widest line's width.
  int ReadMessages(const wchar_t* caption, const std::vector<std::wstring>& expected, bool copy);
  // Ctrl+C pressed as a user does (the list has the focus when the window
  // opens): the clipboard, emptied first, then holds every line.
  void CopyLines(HWND dlg, const std::vector<std::wstring>& expected);
  // A modal dialog of a host with a window: owned by it, the host disabled.
  void CheckModalTo(HWND dlg, const char* what);
  // After the script: until the call returns, any further dialog is a fault;
  // it is noted and closed.
  void Tail();
  // Gives up: closes whatever the plug-in has open until its call returns.
  void CloseAll();

  HWND m_owner = nullptr;  // the host's window, when it has one

 private:
  DWORD m_ui;
  const std::atomic<bool>& m_returned;
  std::set<HWND> m_seen;
};

// Runs `call` (a call of the plug-in) on this thread while `drive` works its
// dialogs from a second thread, then checks that the host's activation
// context is the same before and after; the call's result.
int CallWhileDriving(Problems& p, const std::function<void(Driver&)>& drive, const std::function<int()>& call,
                     HWND owner = nullptr);

}  // namespace hosttest
