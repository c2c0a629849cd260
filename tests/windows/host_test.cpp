// Host test of the Windows plug-in. Uses ConvertHalvex.dll the way a host
// does (LoadLibrary, GetProcAddress, a call on the user-interface thread) while
// a second thread drives the modal dialogs through their control ids.
//
//   host_test.exe CASES_DIR WORK_DIR                  every scenario
//   host_test.exe CASES_DIR WORK_DIR --no-catalogue   the run without
//       Convertmsg.dll (started by the first run from a copied folder)
//   host_test.exe CASES_DIR WORK_DIR --japanese [--latin-code-page]
//       the Japanese user interface scenario (Wine started with a Japanese
//       locale; code page 932, or 1252 with the second flag)
//   host_test.exe CASES_DIR WORK_DIR --show input|messages CASE
//       shows a dialog filled in and holds it until WORK_DIR\release exists
//       (for screenshots)
//
// Paths are Windows paths. Prints one line per scenario and a summary; the
// exit status is 0 only when every scenario passed.
#include <windows.h>
#include <dlgs.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "resources/catalogue.h"

namespace {

// The plug-in's dialog contract.
constexpr int kModelEdit = 19001, kResultEdit = 19002, kModelBrowse = 19003, kResultBrowse = 19005;
constexpr int kMessageList = 1000, kClose = 1;
constexpr const wchar_t* kInputCaption = L"Import HALVEX ";
constexpr const wchar_t* kMessageCaption = L"Message Window";
constexpr const char* kFallback = "Error : DLL is not loaded. check message dll!";

constexpr DWORD kStepMs = 8000;  // longest wait for one dialog step

using ConvertFile2Fn = int (*)(std::string&, std::string&);
using ConvertFileFn = int (*)();
ConvertFile2Fn g_convert2;
ConvertFileFn g_convert;
std::string g_cases, g_work;

std::wstring Wide(const std::string& s) {
  std::wstring w(s.size() + 1, L'\0');
  w.resize(MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, w.data(), static_cast<int>(w.size())) - 1);
  return w;
}
std::string Narrow(const std::wstring& w) {
  const int n = WideCharToMultiByte(CP_ACP, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string s(n, '\0');
  WideCharToMultiByte(CP_ACP, 0, w.c_str(), -1, s.data(), n, nullptr, nullptr);
  s.resize(n - 1);
  return s;
}

// An absolute path in the form the wide calls take beyond MAX_PATH.
std::wstring Long(const std::string& p) { return L"\\\\?\\" + Wide(p); }
bool Exists(const std::string& p) { return GetFileAttributesW(Long(p).c_str()) != INVALID_FILE_ATTRIBUTES; }
std::string ReadAll(const std::string& p) {
  std::string s;
  if (FILE* f = _wfopen(Long(p).c_str(), L"rb")) {
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) s.append(buf, n);
    std::fclose(f);
  }
  return s;
}
void WriteAll(const std::string& p, const std::string& s) {
  if (FILE* f = std::fopen(p.c_str(), "wb")) {
    std::fwrite(s.data(), 1, s.size(), f);
    std::fclose(f);
  }
}
std::string Replace(std::string s, const std::string& from, const std::string& to) {
  for (size_t p = s.find(from); p != std::string::npos; p = s.find(from, p + to.size())) s.replace(p, from.size(), to);
  return s;
}
std::vector<std::string> Lines(const std::string& s) {
  std::vector<std::string> v;
  size_t b = 0;
  for (size_t e; (e = s.find('\n', b)) != std::string::npos; b = e + 1) v.push_back(s.substr(b, e - b));
  if (b < s.size()) v.push_back(s.substr(b));
  return v;
}
std::string CaseFile(const std::string& c, const char* name) { return g_cases + "\\" + c + "\\" + name; }
// A fresh scenario folder under the work folder.
std::string Folder(const std::string& name) {
  std::string dir = g_work + "\\" + name;
  CreateDirectoryA(dir.c_str(), nullptr);
  return dir + "\\";
}

struct Stuck {
  std::string what;
};

std::wstring WindowText(HWND h) {
  wchar_t buf[1024];
  const int n = InternalGetWindowText(h, buf, 1024);
  return std::wstring(buf, n);
}
std::wstring ClassOf(HWND h) {
  wchar_t buf[64];
  const int n = GetClassNameW(h, buf, 64);
  return std::wstring(buf, n);
}

// The second thread: finds the dialogs of the thread that called the plug-in
// and works them through control ids. Every wait gives up after kStepMs.
class Driver {
 public:
  Driver(DWORD uiThread, const std::atomic<bool>& returned) : m_ui(uiThread), m_returned(returned) {}
  std::vector<std::string> problems;

  void Check(bool ok, const std::string& what) {
    if (!ok) problems.push_back(what);
  }

  std::vector<HWND> Dialogs() const {
    std::vector<HWND> v;
    EnumThreadWindows(
        m_ui,
        [](HWND h, LPARAM p) -> BOOL {
          if (IsWindowVisible(h) && ClassOf(h) == L"#32770") reinterpret_cast<std::vector<HWND>*>(p)->push_back(h);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&v));
    return v;
  }
  // A visible dialog not met before, with this caption when one is given.
  HWND WaitDialog(const wchar_t* caption, const char* what) {
    for (DWORD t0 = GetTickCount(); GetTickCount() - t0 < kStepMs; Sleep(20)) {
      for (HWND h : Dialogs())
        if (!m_seen.count(h) && (!caption || WindowText(h) == caption)) {
          m_seen.insert(h);
          Sleep(50);  // let it finish painting and focusing
          return h;
        }
      if (m_returned) break;
    }
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
  // Posted, so a button that opens a modal dialog does not block this thread.
  void Click(HWND dlg, int id) {
    HWND b = GetDlgItem(dlg, id);
    if (!b) throw Stuck{"no control " + std::to_string(id)};
    PostMessageW(b, BM_CLICK, 0, 0);
  }
  void SetText(HWND dlg, int id, const std::string& text) {
    HWND c = GetDlgItem(dlg, id);
    if (!c) throw Stuck{"no control " + std::to_string(id)};
    const std::wstring w = Wide(text);
    Send(c, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(w.c_str()));
  }
  std::string Text(HWND dlg, int id) {
    HWND c = GetDlgItem(dlg, id);
    if (!c) throw Stuck{"no control " + std::to_string(id)};
    wchar_t buf[2048];
    const LRESULT n = Send(c, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(buf));
    return Narrow(std::wstring(buf, n));
  }
  // The text of a field once it shows `want`, or after a second what it shows
  // then: the plug-in refreshes its fields after the file-open dialog is gone.
  std::string TextOnceSettled(HWND dlg, int id, const std::string& want) {
    std::string text;
    for (DWORD t0 = GetTickCount(); (text = Text(dlg, id)) != want && GetTickCount() - t0 < 1000;) Sleep(20);
    return text;
  }
  // Texts of the static controls and the number of buttons of a message box.
  std::string BoxText(HWND box, int* buttons) {
    struct Acc {
      std::string text;
      int buttons = 0;
    } acc;
    EnumChildWindows(
        box,
        [](HWND h, LPARAM p) -> BOOL {
          auto* a = reinterpret_cast<Acc*>(p);
          if (!IsWindowVisible(h)) return TRUE;
          if (ClassOf(h) == L"Static") a->text += Narrow(WindowText(h));
          if (ClassOf(h) == L"Button") ++a->buttons;
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&acc));
    *buttons = acc.buttons;
    return acc.text;
  }
  // A system message box: checks its text and that it offers only OK, then
  // presses OK.
  void DismissBox(const std::string& expectedPart) {
    HWND box = WaitDialog(nullptr, "message box");
    int buttons = 0;
    const std::string text = BoxText(box, &buttons);
    Check(text.find(expectedPart) != std::string::npos, "message box says \"" + text + "\", not \"" + expectedPart + "\"");
    Check(buttons == 1, "message box has " + std::to_string(buttons) + " buttons, not only OK");
    Click(box, IDOK);
    WaitGone(box, "message box");
  }
  std::vector<std::wstring> WideListLines(HWND list) {
    std::vector<std::wstring> v;
    const LRESULT n = Send(list, LB_GETCOUNT);
    for (LRESULT i = 0; i < n; ++i) {
      std::wstring w(Send(list, LB_GETTEXTLEN, i) + 1, L'\0');
      w.resize(std::max<LRESULT>(0, Send(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(w.data()))));
      v.push_back(w);
    }
    return v;
  }
  std::vector<std::string> ListLines(HWND list) {
    std::vector<std::string> v;
    for (const std::wstring& w : WideListLines(list)) v.push_back(Narrow(w));
    return v;
  }
  // Width of a text in the list box's own font, in pixels.
  int TextWidth(HWND list, const std::string& text) {
    HDC dc = GetDC(list);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(Send(list, WM_GETFONT)));
    const std::wstring w = Wide(text);
    SIZE sz{};
    GetTextExtentPoint32W(dc, w.c_str(), static_cast<int>(w.size()), &sz);
    SelectObject(dc, old);
    ReleaseDC(list, dc);
    return sz.cx;
  }
  // A modal dialog of a host with a window: owned by it, the host disabled.
  void CheckModalTo(HWND dlg, HWND owner, const char* what) {
    Check(GetWindow(dlg, GW_OWNER) == owner, std::string(what) + " is not owned by the host's window");
    Check(!IsWindowEnabled(owner), std::string("the host's window is enabled while the ") + what + " shows");
  }
  // After the script: until the call returns, any further dialog is a fault;
  // it is noted and closed.
  void Tail() {
    for (DWORD t0 = GetTickCount(); !m_returned; Sleep(20)) {
      for (HWND h : Dialogs())
        if (!m_seen.count(h)) {
          m_seen.insert(h);
          problems.push_back("unexpected dialog \"" + Narrow(WindowText(h)) + "\"");
          PostMessageW(h, WM_COMMAND, IDCANCEL, 0);
        }
      if (GetTickCount() - t0 > kStepMs) throw Stuck{"the call did not return"};
    }
  }
  // Gives up: closes whatever the plug-in has open until its call returns.
  void CloseAll() {
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

 private:
  DWORD m_ui;
  const std::atomic<bool>& m_returned;
  std::set<HWND> m_seen;
};

struct Call {
  int rc = 0;
  std::string out = "<out unchanged>", res = "<res unchanged>";
  std::vector<std::string> problems;
};
const Call kUntouched;

// One call of the plug-in on this thread while `drive` works its dialogs.
Call Convert(const std::function<void(Driver&)>& drive, bool plain = false) {
  Call c;
  std::atomic<bool> returned{false};
  Driver d(GetCurrentThreadId(), returned);
  std::thread t([&] {
    try {
      drive(d);
      d.Tail();
    } catch (const Stuck& s) {
      d.problems.push_back("gave up: " + s.what);
      d.CloseAll();
    }
  });
  c.rc = plain ? g_convert() : g_convert2(c.out, c.res);
  returned = true;
  t.join();
  c.problems = d.problems;
  return c;
}

// Fills the file input dialog and presses OK.
void Fill(Driver& d, const std::string& model, const std::string& result) {
  HWND dlg = d.WaitDialog(kInputCaption, "file input dialog");
  d.SetText(dlg, kModelEdit, model);
  d.SetText(dlg, kResultEdit, result);
  d.Click(dlg, IDOK);
  d.WaitGone(dlg, "file input dialog");
}

struct Result {
  std::vector<std::string> problems;
  void Check(bool ok, const std::string& what) {
    if (!ok) problems.push_back(what);
  }
  void Expect(const Call& c, int rc, const std::string& out, const std::string& res) {
    problems.insert(problems.end(), c.problems.begin(), c.problems.end());
    Check(c.rc == rc, "result " + std::to_string(c.rc) + ", expected " + std::to_string(rc));
    Check(c.out == out, "outputPath \"" + c.out + "\", expected \"" + out + "\"");
    Check(c.res == res, "resultPath \"" + c.res + "\", expected \"" + res + "\"");
  }
  void NoLogs(const std::string& dir) {
    for (const char* log : {"ReadErr.msg", "halvexcvt.msg"}) Check(!Exists(dir + log), std::string(log) + " left behind");
  }
  void SameFile(const std::string& expected, const std::string& actual) {
    Check(Exists(actual), actual + " not written");
    Check(ReadAll(actual) == ReadAll(expected), actual + " differs from " + expected);
  }
};

// Reads the message window, checks its lines and scroll range, closes it.
void ReadMessages(Driver& d, const std::vector<std::string>& expected, int* widestLine = nullptr, HWND owner = nullptr) {
  HWND dlg = d.WaitDialog(kMessageCaption, "message window");
  if (owner) d.CheckModalTo(dlg, owner, "message window");
  HWND list = GetDlgItem(dlg, kMessageList);
  if (!list) throw Stuck{"no list box 1000"};
  const std::vector<std::string> lines = d.ListLines(list);
  size_t i = 0;
  while (i < lines.size() && i < expected.size() && lines[i] == expected[i]) ++i;
  d.Check(lines == expected, "message window line " + std::to_string(i + 1) + " is \"" +
                                 (i < lines.size() ? lines[i] : "(none)") + "\", expected \"" +
                                 (i < expected.size() ? expected[i] : "(none)") + "\"");
  int widest = 0;
  for (const std::string& l : lines) widest = std::max(widest, d.TextWidth(list, l));
  const LRESULT extent = d.Send(list, LB_GETHORIZONTALEXTENT);
  d.Check(extent >= widest && extent <= widest + 40,
          "horizontal extent " + std::to_string(extent) + " for a widest line of " + std::to_string(widest) + " px");
  if (widestLine) *widestLine = widest;
  d.Click(dlg, kClose);
  d.WaitGone(dlg, "message window");
}

std::vector<std::string> ExpectedMessages(const std::string& c, const std::string& model) {
  return Lines(Replace(ReadAll(CaseFile(c, "expected.stdout")), "@MODEL@", model));
}

// --- scenarios ---------------------------------------------------------------

constexpr const char* kClean = "nodes-order-and-number-format";
constexpr const char* kFormatError = "read-fail-element-line";

// A clean model with Windows line ends: converted, paths returned, no window.
void Done(Result& r) {
  const std::string dir = Folder("done");
  WriteAll(dir + "model.hvt", Replace(ReadAll(CaseFile(kClean, "model.hvt")), "\n", "\r\n"));
  const Call c = Convert([&](Driver& d) { Fill(d, dir + "model.hvt", "C:\\results\\run.hvb"); });
  r.Expect(c, 0, dir + "model.qsx", "C:\\results\\run.hvb");
  r.SameFile(CaseFile(kClean, "expected.qsx"), dir + "model.qsx");
  r.NoLogs(dir);
}

// ConvertFile: the same conversion without paths for the host.
void DoneWithoutPaths(Result& r) {
  const std::string dir = Folder("done-plain");
  CopyFileA(CaseFile(kClean, "model.hvt").c_str(), (dir + "model.hvt").c_str(), FALSE);
  const Call c = Convert([&](Driver& d) { Fill(d, dir + "model.hvt", ""); }, true);
  r.Expect(c, 0, kUntouched.out, kUntouched.res);
  r.SameFile(CaseFile(kClean, "expected.qsx"), dir + "model.qsx");
  r.NoLogs(dir);
}

void Cancelled(Result& r) {
  const std::string dir = Folder("cancelled");
  CopyFileA(CaseFile(kClean, "model.hvt").c_str(), (dir + "model.hvt").c_str(), FALSE);
  const Call c = Convert([&](Driver& d) {
    HWND dlg = d.WaitDialog(kInputCaption, "file input dialog");
    d.SetText(dlg, kModelEdit, dir + "model.hvt");
    d.SetText(dlg, kResultEdit, "x.hvb");
    d.Click(dlg, IDCANCEL);
    d.WaitGone(dlg, "file input dialog");
  });
  r.Expect(c, 1, kUntouched.out, kUntouched.res);
  r.Check(!Exists(dir + "model.qsx"), "model.qsx written after Cancel");
  r.NoLogs(dir);
}

void MissingModel(Result& r) {
  const std::string dir = Folder("missing");
  const Call c = Convert([&](Driver& d) { Fill(d, dir + "absent.hvt", "C:\\r.hvb"); });
  r.Expect(c, 0, kUntouched.out, "C:\\r.hvb");
  r.Check(!Exists(dir + "absent.qsx"), "absent.qsx written");
  r.NoLogs(dir);
}

// The model exists but cannot be opened: the reader's message box, result -1.
void Unreadable(Result& r, bool locked) {
  const std::string dir = Folder(locked ? "locked" : "folder-model");
  const std::string model = dir + "model.hvt";
  HANDLE lock = INVALID_HANDLE_VALUE;
  if (locked) {
    CopyFileA(CaseFile(kClean, "model.hvt").c_str(), model.c_str(), FALSE);
    lock = CreateFileA(model.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    r.Check(lock != INVALID_HANDLE_VALUE, "could not lock the model");
  } else {
    CreateDirectoryA(model.c_str(), nullptr);
  }
  const Call c = Convert([&](Driver& d) {
    Fill(d, model, "r.hvb");
    d.DismissBox("Can't open NEUtral file!");
  });
  if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);
  r.Expect(c, -1, kUntouched.out, kUntouched.res);
  r.Check(!Exists(dir + "model.qsx"), "model.qsx written");
  r.NoLogs(dir);
}

// The output file cannot be created (a folder is in its way): the file error
// shows in a message box and the call still ends as done.
void OutputBlocked(Result& r) {
  const std::string dir = Folder("blocked");
  CopyFileA(CaseFile(kClean, "model.hvt").c_str(), (dir + "model.hvt").c_str(), FALSE);
  CreateDirectoryA((dir + "model.qsx").c_str(), nullptr);
  const Call c = Convert([&](Driver& d) {
    Fill(d, dir + "model.hvt", "r.hvb");
    d.DismissBox(dir + "model.qsx");
  });
  r.Expect(c, 0, dir + "model.qsx", "r.hvb");
  r.NoLogs(dir);
}

// Chooses a file in the system file-open dialog.
void Choose(Driver& d, HWND open, const std::string& path) {
  for (int id : {cmb13, edt1})
    if (GetDlgItem(open, id)) d.SetText(open, id, path);
  PostMessageW(open, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(open, IDOK)));
  d.WaitGone(open, "file-open dialog");
}

// Browsing refreshes both fields from the stored paths; a cancelled browse
// changes nothing. The model filter comes from the catalogue, split at "|".
void Browse(Result& r) {
  const std::string dir = Folder("browse");
  const std::string model = dir + "model.hvt", result = dir + "run.hvb";
  CopyFileA(CaseFile(kClean, "model.hvt").c_str(), model.c_str(), FALSE);
  WriteAll(result, "");
  const Call c = Convert([&](Driver& d) {
    HWND dlg = d.WaitDialog(kInputCaption, "file input dialog");
    d.SetText(dlg, kModelEdit, "typed model");
    d.SetText(dlg, kResultEdit, "typed result");

    d.Click(dlg, kModelBrowse);
    HWND open = d.WaitDialog(nullptr, "file-open dialog");
    HWND types = GetDlgItem(open, cmb1);  // the file type list
    const LRESULT n = types ? d.Send(types, CB_GETCOUNT) : 0;
    wchar_t first[256] = L"";
    if (n > 0 && d.Send(types, CB_GETLBTEXTLEN, 0) < 256) d.Send(types, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first));
    d.Check(n == 2 && Narrow(first).rfind("Halvex Model Files", 0) == 0,
            "model filter shows " + std::to_string(n) + " types, the first \"" + Narrow(first) + "\"");
    PostMessageW(open, WM_COMMAND, IDCANCEL, 0);
    d.WaitGone(open, "file-open dialog");
    d.Check(d.Text(dlg, kModelEdit) == "typed model" && d.Text(dlg, kResultEdit) == "typed result",
            "a cancelled browse changed the fields");

    d.Click(dlg, kResultBrowse);
    Choose(d, d.WaitDialog(nullptr, "file-open dialog"), result);
    const std::string resultShown = d.TextOnceSettled(dlg, kResultEdit, result);
    d.Check(resultShown == result, "result field shows \"" + resultShown + "\" after choosing");
    d.Check(d.Text(dlg, kModelEdit).empty(), "model field not refreshed to the stored (empty) path");

    d.SetText(dlg, kResultEdit, "typed again");
    d.Click(dlg, kModelBrowse);
    Choose(d, d.WaitDialog(nullptr, "file-open dialog"), model);
    const std::string modelShown = d.TextOnceSettled(dlg, kModelEdit, model);
    d.Check(modelShown == model, "model field shows \"" + modelShown + "\" after choosing");
    d.Check(d.Text(dlg, kResultEdit) == result, "result field not refreshed from the stored path");
    d.Click(dlg, IDOK);
    d.WaitGone(dlg, "file input dialog");
  });
  r.Expect(c, 0, dir + "model.qsx", result);
  r.SameFile(CaseFile(kClean, "expected.qsx"), dir + "model.qsx");
}

// A model with a format error in a deep folder: the log lines in order, a
// scroll range as wide as the long "Import <path>" line, Close.
void LongLine(Result& r) {
  std::string dir = Folder("long");
  const size_t lineLength = 300;
  const size_t want = lineLength - std::string("Import <>model.hvt").size();
  while (dir.size() + 1 < want) {
    size_t seg = std::min<size_t>(40, want - dir.size());  // name and backslash
    if (want - dir.size() - seg == 1) --seg;
    dir += std::string(seg - 1, 'd') + "\\";
    CreateDirectoryW(Long(dir).c_str(), nullptr);
  }
  const std::string model = dir + "model.hvt";
  CopyFileW(Wide(CaseFile(kFormatError, "model.hvt")).c_str(), Long(model).c_str(), FALSE);
  int widest = 0;
  const Call c = Convert([&](Driver& d) {
    Fill(d, model, "r.hvb");
    ReadMessages(d, ExpectedMessages(kFormatError, model), &widest);
  });
  r.Expect(c, 0, dir + "model.qsx", "r.hvb");
  r.Check(("Import <" + model + ">").size() == lineLength, "long line is not " + std::to_string(lineLength) + " characters");
  r.Check(widest > 1000, "the long line is only " + std::to_string(widest) + " px wide");
  r.SameFile(CaseFile(kFormatError, "expected.qsx"), dir + "model.qsx");
  r.NoLogs(dir);
}

// A host with an active main window: both dialogs are modal to it and it is
// enabled again afterwards.
void HostWindow(Result& r) {
  const std::string dir = Folder("host-window");
  const std::string model = dir + "model.hvt";
  CopyFileA(CaseFile(kFormatError, "model.hvt").c_str(), model.c_str(), FALSE);
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"HalvexTestHost";
  RegisterClassW(&wc);
  HWND host = CreateWindowW(wc.lpszClassName, L"Host", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                            wc.hInstance, nullptr);
  ShowWindow(host, SW_SHOW);
  SetForegroundWindow(host);
  SetActiveWindow(host);
  for (MSG m; PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&m);
  r.Check(GetActiveWindow() == host, "the host's window could not be made active");
  const Call c = Convert([&](Driver& d) {
    HWND dlg = d.WaitDialog(kInputCaption, "file input dialog");
    d.CheckModalTo(dlg, host, "file input dialog");
    d.SetText(dlg, kModelEdit, model);
    d.SetText(dlg, kResultEdit, "r.hvb");
    d.Click(dlg, IDOK);
    d.WaitGone(dlg, "file input dialog");
    ReadMessages(d, ExpectedMessages(kFormatError, model), nullptr, host);
  });
  r.Expect(c, 0, dir + "model.qsx", "r.hvb");
  r.Check(IsWindowEnabled(host), "the host's window is left disabled");
  DestroyWindow(host);
  r.NoLogs(dir);
}

// Without Convertmsg.dll every log entry is the fallback text.
void NoCatalogue(Result& r) {
  const std::string dir = Folder("no-catalogue-model");
  const std::string model = dir + "model.hvt";
  CopyFileA(CaseFile(kFormatError, "model.hvt").c_str(), model.c_str(), FALSE);
  const Call c = Convert([&](Driver& d) {
    Fill(d, model, "r.hvb");
    ReadMessages(d, {"", kFallback, "", "Import <" + model + ">"});
  });
  r.Expect(c, 0, dir + "model.qsx", "r.hvb");
  r.SameFile(CaseFile(kFormatError, "expected.qsx"), dir + "model.qsx");
  r.NoLogs(dir);
}

// Runs this program again from a folder holding only it and the plug-in.
void MissingCatalogue(Result& r) {
  wchar_t self[MAX_PATH], dll[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  GetModuleFileNameW(GetModuleHandleW(L"ConvertHalvex.dll"), dll, MAX_PATH);
  const std::wstring bin = Wide(Folder("no-catalogue"));
  r.Check(CopyFileW(self, (bin + L"host_test.exe").c_str(), FALSE) && CopyFileW(dll, (bin + L"ConvertHalvex.dll").c_str(), FALSE),
          "could not copy the host and the plug-in");
  std::wstring cmd = L"\"" + bin + L"host_test.exe\" \"" + Wide(g_cases) + L"\" \"" + Wide(g_work) + L"\" --no-catalogue";
  // The copy reports into a file; its lines are shown here.
  const std::string log = g_work + "\\no-catalogue.log";
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  HANDLE out = CreateFileA(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = si.hStdError = out;
  PROCESS_INFORMATION pi{};
  const BOOL started = CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, bin.c_str(), &si, &pi);
  CloseHandle(out);
  if (!started) {
    r.Check(false, "could not start the copy");
    return;
  }
  DWORD code = 1;
  if (WaitForSingleObject(pi.hProcess, 4 * kStepMs) != WAIT_OBJECT_0) {
    TerminateProcess(pi.hProcess, 3);
    r.Check(false, "the copy did not finish");
  }
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  std::fputs(ReadAll(log).c_str(), stdout);
  r.Check(code == 0, "the run without the catalogue failed (see its line above)");
}

std::wstring FromUtf8(const std::string& s) {
  std::wstring w(s.size() + 1, L'\0');
  w.resize(MultiByteToWideChar(CP_UTF8, 0, s.c_str(), -1, w.data(), static_cast<int>(w.size())) - 1);
  return w;
}

// A Japanese user: the Japanese file input dialog, and the format error of a
// model in the message window in Japanese, through code page 932 (the log
// file's bytes and the list box's text). With a Latin code page the Japanese
// text cannot be written, so the line is the English one.
void Japanese(Result& r, bool latinCodePage) {
  const UINT codePage = latinCodePage ? 1252 : 932;
  const LANGID ui = GetUserDefaultUILanguage();
  if (PRIMARYLANGID(ui) != LANG_JAPANESE || GetACP() != codePage) {
    r.Check(false, "Wine gives user interface language " + std::to_string(ui) + " and code page " +
                       std::to_string(GetACP()) + ", not Japanese and " + std::to_string(codePage));
    return;
  }
  const std::string dir = Folder(latinCodePage ? "japanese-1252" : "japanese");
  const std::string model = dir + "model.hvt";
  CopyFileA(CaseFile(kFormatError, "model.hvt").c_str(), model.c_str(), FALSE);

  // The case's English window with its format error line (the second) in the
  // language expected, taken from the catalogue.
  std::vector<std::wstring> expected;
  for (const std::string& line : ExpectedMessages(kFormatError, model)) expected.push_back(FromUtf8(line));
  const hvxmsg::Message& m = hvxmsg::Messages()[hvxmsg::FindMessage("IDS_HALVEX_Invalid_format_in_line_d__")];
  int n = 0;
  if (expected.size() != 4 || std::sscanf(Narrow(expected[1]).c_str(), m.text[hvxmsg::kEnglish], &n) != 1) {
    r.Check(false, "the case's window has no format error line");
    return;
  }
  char line[256];
  std::snprintf(line, sizeof line, m.text[latinCodePage ? hvxmsg::kEnglish : hvxmsg::kJapanese], n);
  expected[1] = FromUtf8(line);
  expected[1].pop_back();  // the line end

  const Call c = Convert([&](Driver& d) {
    HWND dlg = d.WaitDialog(nullptr, "file input dialog");
    wchar_t caption[64] = L"";
    GetWindowTextW(dlg, caption, 64);
    d.Check(std::wstring(caption) == L"HALVEX 読み込み", "file input dialog caption \"" + Narrow(caption) + "\"");
    d.SetText(dlg, kModelEdit, model);
    d.SetText(dlg, kResultEdit, "r.hvb");
    d.Click(dlg, IDOK);
    d.WaitGone(dlg, "file input dialog");

    HWND msg = d.WaitDialog(nullptr, "message window");
    HWND list = GetDlgItem(msg, kMessageList);
    if (!list) throw Stuck{"no list box 1000"};
    const std::vector<std::wstring> lines = d.WideListLines(list);
    d.Check(lines == expected, "message window line 2 is \"" + Narrow(lines.size() > 1 ? lines[1] : L"") +
                                   "\", not \"" + Narrow(expected.size() > 1 ? expected[1] : L"") + "\"");
    d.Click(msg, kClose);
    d.WaitGone(msg, "message window");
  });
  r.Expect(c, 0, dir + "model.qsx", "r.hvb");
  r.SameFile(CaseFile(kFormatError, "expected.qsx"), dir + "model.qsx");
  r.NoLogs(dir);
}

// Holds a dialog open for a screenshot until WORK_DIR\release appears.
void Hold() {
  for (DWORD t0 = GetTickCount(); !Exists(g_work + "\\release") && GetTickCount() - t0 < 60000;) Sleep(50);
}
int Show(const std::string& what, const std::string& caseName) {
  const std::string dir = g_work + "\\";
  const std::string model = dir + "tower.hvt";
  CopyFileA(CaseFile(caseName, "model.hvt").c_str(), model.c_str(), FALSE);
  Convert([&](Driver& d) {
    // Any language: the first dialog is the file input dialog, the next the
    // message window.
    HWND dlg = d.WaitDialog(nullptr, "file input dialog");
    d.SetText(dlg, kModelEdit, model);
    d.SetText(dlg, kResultEdit, dir + "tower.hvb");
    if (what == "input") {
      PostMessageW(dlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dlg, IDOK)), TRUE);  // no caret
      Hold();
      d.Click(dlg, IDCANCEL);
      return;
    }
    d.Click(dlg, IDOK);
    HWND msg = d.WaitDialog(nullptr, "message window");
    PostMessageW(msg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(msg, kClose)), TRUE);
    Hold();
    d.Click(msg, kClose);
  });
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: host_test CASES_DIR WORK_DIR [--no-catalogue | --show input|messages CASE]\n");
    return 2;
  }
  g_cases = Narrow(argv[1]);
  g_work = Narrow(argv[2]);
  CreateDirectoryA(g_work.c_str(), nullptr);
  const std::wstring mode = argc > 3 ? argv[3] : L"";

  HMODULE plugin = LoadLibraryW(L"ConvertHalvex.dll");
  if (!plugin) {
    std::printf("FAIL: ConvertHalvex.dll not loaded (error %lu)\n", GetLastError());
    return 1;
  }
  g_convert2 = reinterpret_cast<ConvertFile2Fn>(reinterpret_cast<void*>(GetProcAddress(plugin, "ConvertFile2")));
  g_convert = reinterpret_cast<ConvertFileFn>(reinterpret_cast<void*>(GetProcAddress(plugin, "ConvertFile")));
  if (!g_convert2 || !g_convert) {
    std::printf("FAIL: ConvertFile2 or ConvertFile not exported\n");
    return 1;
  }
  if (mode == L"--show" && argc > 5) return Show(Narrow(argv[4]), Narrow(argv[5]));

  const std::vector<std::pair<const char*, std::function<void(Result&)>>> all = {
      {"done: paths returned, output as expected, no window", Done},
      {"done through ConvertFile", DoneWithoutPaths},
      {"cancelled: out-parameters untouched", Cancelled},
      {"missing model: result path only", MissingModel},
      {"model locked by another program: message box, -1", [](Result& r) { Unreadable(r, true); }},
      {"model is a folder: message box, -1", [](Result& r) { Unreadable(r, false); }},
      {"output blocked: file error box, still done", OutputBlocked},
      {"browse: cancel keeps, choosing refreshes both fields", Browse},
      {"300-character message line: scroll range", LongLine},
      {"host with a window: both dialogs modal to it", HostWindow},
      {"missing catalogue: a copy without Convertmsg.dll", MissingCatalogue},
  };
  const std::vector<std::pair<const char*, std::function<void(Result&)>>> alone = {
      {"  (copy without Convertmsg.dll) fallback text in the message window", NoCatalogue}};
  const bool latin = argc > 4 && std::wstring(argv[4]) == L"--latin-code-page";
  const std::vector<std::pair<const char*, std::function<void(Result&)>>> japanese = {
      {latin ? "Japanese user, code page 1252: Japanese dialog, English log lines"
             : "Japanese user, code page 932: Japanese dialog and log lines",
       [latin](Result& r) { Japanese(r, latin); }}};

  int passed = 0, failed = 0;
  for (const auto& [name, run] : mode == L"--no-catalogue" ? alone : mode == L"--japanese" ? japanese : all) {
    Result r;
    const DWORD t0 = GetTickCount();
    run(r);
    const double seconds = (GetTickCount() - t0) / 1000.0;
    if (r.problems.empty()) {
      ++passed;
      std::printf("ok   %s (%.1f s)\n", name, seconds);
    } else {
      ++failed;
      std::printf("FAIL %s (%.1f s)\n", name, seconds);
      for (const std::string& p : r.problems) std::printf("       %s\n", p.c_str());
    }
    std::fflush(stdout);
  }
  if (mode.empty()) std::printf("host test scenarios: %d passed, %d failed\n", passed, failed);
  FreeLibrary(plugin);
  return failed == 0 ? 0 : 1;
}
