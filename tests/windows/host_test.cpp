// Host test of the Windows plug-in: loads ConvertHalvex.dll as a host does
// and calls it on this thread while a second thread drives its modal dialogs
// through their control ids. Paths are Windows paths; one line per scenario,
// exit status 0 only when every scenario passed.
//
//   host_test.exe CASES_DIR WORK_DIR [--no-catalogue | --japanese [--latin-code-page]]
//     no flag: every scenario; --no-catalogue: the run of a copy without
//     Convertmsg.dll (started by the first run); --japanese: the Japanese user
//     (Wine in a Japanese locale; code page 932, or 1252 with the second flag)
//   host_test.exe CASES_DIR WORK_DIR --show input|messages CASE
//     holds a filled-in dialog until WORK_DIR\release exists (screenshots)
#include <windows.h>
// (before dlgs.h)
#include <dlgs.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "host/wintext.h"
#include "resources/catalogue.h"

namespace {

// The plug-in's dialog contract.
constexpr int kModelEdit = 19001, kResultEdit = 19002, kModelBrowse = 19003, kResultBrowse = 19005;
constexpr int kMessageList = 1000, kClose = 1;
constexpr DWORD kStepMs = 8000;  // longest wait for one dialog step

int (*g_convert2)(std::string&, std::string&);
int (*g_convert)();
std::string g_cases, g_work;
bool g_latin = false;  // Japanese messages with code page 1252

using hvx::AnsiToWide;
using hvx::Utf8ToWide;
using hvx::WideToAnsi;
// An absolute path in the form the wide calls take beyond MAX_PATH.
std::wstring Long(const std::string& p) { return L"\\\\?\\" + AnsiToWide(p); }
bool Exists(const std::string& p) { return GetFileAttributesW(Long(p).c_str()) != INVALID_FILE_ATTRIBUTES; }
std::string ReadAll(const std::string& p) {
  std::ifstream f(Long(p).c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}
void WriteAll(const std::string& p, const std::string& s) { std::ofstream(Long(p).c_str(), std::ios::binary) << s; }
std::string Replace(std::string s, const std::string& from, const std::string& to) {
  for (size_t p = s.find(from); p != std::string::npos; p = s.find(from, p + to.size())) s.replace(p, from.size(), to);
  return s;
}
std::string CaseFile(const std::string& c, const char* name) { return g_cases + "\\" + c + "\\" + name; }
std::string Folder(const std::string& name) {
  const std::string dir = g_work + "\\" + name;
  CreateDirectoryA(dir.c_str(), nullptr);
  return dir + "\\";
}
std::wstring WindowText(HWND h) {
  wchar_t buf[1024];
  return std::wstring(buf, InternalGetWindowText(h, buf, 1024));
}
std::wstring ClassOf(HWND h) {
  wchar_t buf[64];
  return std::wstring(buf, GetClassNameW(h, buf, 64));
}

struct Stuck {
  std::string what;
};
using Problems = std::vector<std::string>;
void Check(Problems& p, bool ok, const std::string& what) {
  if (!ok) p.push_back(what);
}

// The second thread: finds the dialogs of the thread that called the plug-in
// and works them through control ids. Every wait gives up after kStepMs.
class Driver {
 public:
  Driver(DWORD ui, const std::atomic<bool>& returned, Problems& p) : problems(p), m_ui(ui), m_returned(returned) {}
  Problems& problems;
  void Check(bool ok, const std::string& what) { ::Check(problems, ok, what); }

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
    for (DWORD t0 = GetTickCount(); GetTickCount() - t0 < kStepMs && !m_returned; Sleep(20))
      for (HWND h : Dialogs())
        if (!m_seen.count(h) && (!caption || WindowText(h) == caption)) {
          m_seen.insert(h);
          Sleep(50);  // let it finish painting and focusing
          return h;
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
    Send(Item(dlg, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(AnsiToWide(text).c_str()));
  }
  // The text of a field, once it shows `want` or after a second: the plug-in
  // refreshes its fields after the file-open dialog is gone.
  std::string Text(HWND dlg, int id, const std::string& want = "") {
    wchar_t buf[2048];
    for (DWORD t0 = GetTickCount();; Sleep(20)) {
      const LRESULT n = Send(Item(dlg, id), WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(buf));
      const std::string text = WideToAnsi(std::wstring(buf, n));
      if (text == want || GetTickCount() - t0 >= (want.empty() ? 0 : 1000)) return text;
    }
  }
  // A system message box: checks its text and that it offers only OK, then
  // presses OK.
  void DismissBox(const std::string& expectedPart) {
    HWND box = WaitDialog(nullptr, "message box");
    std::pair<std::string, int> acc;  // static texts, buttons
    EnumChildWindows(
        box,
        [](HWND h, LPARAM p) -> BOOL {
          auto* a = reinterpret_cast<std::pair<std::string, int>*>(p);
          if (IsWindowVisible(h) && ClassOf(h) == L"Static") a->first += WideToAnsi(WindowText(h));
          if (IsWindowVisible(h) && ClassOf(h) == L"Button") ++a->second;
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&acc));
    Check(acc.first.find(expectedPart) != std::string::npos,
          "message box says \"" + acc.first + "\", not \"" + expectedPart + "\"");
    Check(acc.second == 1, "message box has " + std::to_string(acc.second) + " buttons, not only OK");
    Click(box, IDOK, "message box");
  }
  // Reads the message window, checks its lines and scroll range, closes it;
  // returns the widest line's width.
  int ReadMessages(const wchar_t* caption, const std::vector<std::wstring>& expected) {
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
                                 (i < lines.size() ? WideToAnsi(lines[i]) : "(none)") + "\", expected \"" +
                                 (i < expected.size() ? WideToAnsi(expected[i]) : "(none)") + "\"");
    const LRESULT extent = Send(list, LB_GETHORIZONTALEXTENT);
    Check(extent >= widest && extent <= widest + 40,
          "horizontal extent " + std::to_string(extent) + " for a widest line of " + std::to_string(widest) + " px");
    Click(dlg, kClose, "message window");
    return widest;
  }
  // A modal dialog of a host with a window: owned by it, the host disabled.
  void CheckModalTo(HWND dlg, const char* what) {
    Check(GetWindow(dlg, GW_OWNER) == m_owner, std::string(what) + " is not owned by the host's window");
    Check(!IsWindowEnabled(m_owner), std::string("the host's window is enabled while the ") + what + " shows");
  }
  // After the script: until the call returns, any further dialog is a fault;
  // it is noted and closed.
  void Tail() {
    for (DWORD t0 = GetTickCount(); !m_returned; Sleep(20)) {
      for (HWND h : Dialogs())
        if (m_seen.insert(h).second) {
          problems.push_back("unexpected dialog \"" + WideToAnsi(WindowText(h)) + "\"");
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
  HWND m_owner = nullptr;  // the host's window, when it has one

 private:
  DWORD m_ui;
  const std::atomic<bool>& m_returned;
  std::set<HWND> m_seen;
};

struct Call {
  int rc = 0;
  std::string out = "<out unchanged>", res = "<res unchanged>";
};

// One call of the plug-in on this thread while `drive` works its dialogs.
Call Convert(Problems& p, const std::function<void(Driver&)>& drive, bool plain = false, HWND owner = nullptr) {
  Call c;
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
  c.rc = plain ? g_convert() : g_convert2(c.out, c.res);
  returned = true;
  t.join();
  return c;
}

// Browsing refreshes both fields from the stored paths; a cancelled browse
// changes nothing. The model filter comes from the catalogue, split at "|".
void Browse(Driver& d, HWND dlg, const std::string& model, const std::string& result) {
  d.SetText(dlg, kModelEdit, "typed model");
  d.SetText(dlg, kResultEdit, "typed result");
  d.Click(dlg, kModelBrowse);
  HWND open = d.WaitDialog(nullptr, "file-open dialog");
  HWND types = GetDlgItem(open, cmb1);  // the file type list
  const LRESULT n = types ? d.Send(types, CB_GETCOUNT) : 0;
  wchar_t first[256] = L"";
  if (n > 0 && d.Send(types, CB_GETLBTEXTLEN, 0) < 256) d.Send(types, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first));
  d.Check(n == 2 && WideToAnsi(first).rfind("Halvex Model Files", 0) == 0,
          "model filter shows " + std::to_string(n) + " types, the first \"" + WideToAnsi(first) + "\"");
  PostMessageW(open, WM_COMMAND, IDCANCEL, 0);
  d.WaitGone(open, "file-open dialog");
  d.Check(d.Text(dlg, kModelEdit) == "typed model" && d.Text(dlg, kResultEdit) == "typed result",
          "a cancelled browse changed the fields");
  // Each choice shows the chosen file and the other field's stored path.
  const struct {
    int button, field, other;
    std::string chosen, otherShows;
  } steps[] = {{kResultBrowse, kResultEdit, kModelEdit, result, ""},
               {kModelBrowse, kModelEdit, kResultEdit, model, result}};
  for (const auto& s : steps) {
    d.SetText(dlg, s.other, "typed again");
    d.Click(dlg, s.button);
    open = d.WaitDialog(nullptr, "file-open dialog");  // the file is typed into its name field
    for (int id : {cmb13, edt1})
      if (GetDlgItem(open, id)) d.SetText(open, id, s.chosen);
    PostMessageW(open, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(open, IDOK)));
    d.WaitGone(open, "file-open dialog");
    const std::string shown = d.Text(dlg, s.field, s.chosen);
    d.Check(shown == s.chosen, "field " + std::to_string(s.field) + " shows \"" + shown + "\" after choosing");
    d.Check(d.Text(dlg, s.other) == s.otherShows,
            "field " + std::to_string(s.other) + " not refreshed to the stored path \"" + s.otherShows + "\"");
  }
}

// ---- scenarios ----------------------------------------------------------------

// How the model is laid out before the call.
enum Setup {
  kCopy, kCrlf, kAbsent, kLocked, kFolderModel, kBlockedOutput, kDeep, kCopyWithoutCatalogue,
  kModelNamedQsx,  // the model is model.qsx
  kLinkedOutput,   // model.qsx is a second name (hard link) of model.hvt
};
enum Answer { kOk, kCancel, kBrowse };
enum Window { kNone, kCase, kFallback, kTranslated };  // expected.stdout of the case, with the fallback or translated
enum Qsx { kSame, kNoQsx, kUnchecked, kModelKept };  // model.qsx left: the case's expected.qsx, none, any,
                                                     // the case's model.hvt (and the model as it was)
enum Mode { kAll, kNoCatalogue, kJapanese };
enum Flags { kPlain = 1, kHostWindow = 2 };  // ConvertFile instead of ConvertFile2; a host window is active

constexpr const char* kClean = "nodes-order-and-number-format";
constexpr const char* kFormatError = "read-fail-element-line";
constexpr const char* kCantOpen = "Can't open NEUtral file!";
constexpr const char* kQsxPath = "@QSX@";  // a box naming the output file
constexpr const char* kNotOverwritten = "@NOT-OVERWRITTEN@";  // the box of a .qsx that would be the model

struct Scenario {
  const char* name;
  Mode mode;
  const char* model;  // the case whose model.hvt is used
  Setup setup;
  Answer answer;
  int rc;           // outputPath is the .qsx beside the model when rc is 0 and the model exists, resultPath the
                    // result typed or chosen when rc is 0 (ConvertFile2 only); else both are untouched
  const char* box;  // a part of the one message box's text
  Window window;
  Qsx qsx;
  int flags;
};

const Scenario kScenarios[] = {
    {"done: Windows line ends, paths returned, output as expected, no window", kAll, kClean, kCrlf, kOk, 0, nullptr,
     kNone, kSame, 0},
    {"done through ConvertFile", kAll, kClean, kCopy, kOk, 0, nullptr, kNone, kSame, kPlain},
    {"cancelled: out-parameters untouched", kAll, kClean, kCopy, kCancel, 1, nullptr, kNone, kNoQsx, 0},
    {"missing model: result path only", kAll, kClean, kAbsent, kOk, 0, nullptr, kNone, kNoQsx, 0},
    {"model locked by another program: message box, -1", kAll, kClean, kLocked, kOk, -1, kCantOpen, kNone, kNoQsx, 0},
    {"model is a folder: message box, -1", kAll, kClean, kFolderModel, kOk, -1, kCantOpen, kNone, kNoQsx, 0},
    {"output blocked: file error box, still done", kAll, kClean, kBlockedOutput, kOk, 0, kQsxPath, kNone, kUnchecked,
     0},
    {"model named model.qsx: not written over, file error box, still done", kAll, kClean, kModelNamedQsx, kOk, 0,
     kNotOverwritten, kNone, kModelKept, 0},
    {"the .qsx a second name of the model: not written over", kAll, kClean, kLinkedOutput, kOk, 0, kNotOverwritten,
     kNone, kModelKept, 0},
    {"browse: cancel keeps, choosing refreshes both fields", kAll, kClean, kCopy, kBrowse, 0, nullptr, kNone, kSame, 0},
    {"300-character message line: scroll range", kAll, kFormatError, kDeep, kOk, 0, nullptr, kCase, kSame, 0},
    {"host with a window: both dialogs modal to it", kAll, kFormatError, kCopy, kOk, 0, nullptr, kCase, kSame,
     kHostWindow},
    {"missing catalogue: a copy without Convertmsg.dll", kAll, kFormatError, kCopyWithoutCatalogue, kOk, 0, nullptr,
     kNone, kUnchecked, 0},
    {"  (copy without Convertmsg.dll) fallback text in the message window", kNoCatalogue, kFormatError, kCopy, kOk, 0,
     nullptr, kFallback, kSame, 0},
    {"Japanese user: Japanese dialog, log lines in the code page's language", kJapanese, kFormatError, kCopy, kOk, 0,
     nullptr, kTranslated, kSame, 0},
};

// Runs this program again from a folder holding only it and the plug-in; the
// copy reports into a file whose lines are shown here.
void RunCopyWithoutCatalogue(Problems& p) {
  wchar_t self[MAX_PATH], dll[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  GetModuleFileNameW(GetModuleHandleW(L"ConvertHalvex.dll"), dll, MAX_PATH);
  const std::wstring bin = AnsiToWide(Folder("no-catalogue"));
  Check(p, CopyFileW(self, (bin + L"host_test.exe").c_str(), FALSE), "could not copy the host");
  Check(p, CopyFileW(dll, (bin + L"ConvertHalvex.dll").c_str(), FALSE), "could not copy the plug-in");
  std::wstring cmd =
      L"\"" + bin + L"host_test.exe\" \"" + AnsiToWide(g_cases) + L"\" \"" + AnsiToWide(g_work) + L"\" --no-catalogue";
  const std::string log = g_work + "\\no-catalogue.log";
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = si.hStdError =
      CreateFileA(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
  PROCESS_INFORMATION pi{};
  const BOOL started = CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, bin.c_str(), &si, &pi);
  CloseHandle(si.hStdOutput);
  if (!started) return Check(p, false, "could not start the copy");
  DWORD code = 1;
  if (WaitForSingleObject(pi.hProcess, 4 * kStepMs) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 3);
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  std::fputs(ReadAll(log).c_str(), stdout);
  Check(p, code == 0, "the run without the catalogue failed or did not finish (see above)");
}

// The expected message window: the case's, or the case's with its format
// error line (the second) as the fallback text or from the catalogue in the
// language the code page can show (Japanese in 932, English in 1252).
std::vector<std::wstring> ExpectedWindow(const Scenario& s, const std::string& model, Problems& p) {
  std::vector<std::wstring> lines;
  const std::string text = Replace(ReadAll(CaseFile(s.model, "expected.stdout")), "@MODEL@", model);
  for (size_t b = 0, e; s.window != kNone && (e = text.find('\n', b)) != std::string::npos; b = e + 1)
    lines.push_back(Utf8ToWide(text.substr(b, e - b)));
  if (s.window == kNone || s.window == kCase) return lines;
  const hvx::Message& m = hvx::Messages()[hvx::FindMessage("IDS_HALVEX_Invalid_format_in_line_d__")];
  int n = 0;
  char line[256] = "Error : DLL is not loaded. check message dll!\n";
  if (lines.size() != 4 || std::sscanf(WideToAnsi(lines[1]).c_str(), m.text[hvx::kEnglish], &n) != 1)
    return Check(p, false, "the case's window has no format error line"), lines;
  if (s.window == kTranslated)
    std::snprintf(line, sizeof line, m.text[g_latin ? hvx::kEnglish : hvx::kJapanese], n);
  lines[1] = Utf8ToWide(std::string(line, std::strlen(line) - 1));  // without the line end
  return lines;
}

// A deep folder under dir: "Import <model path>" is `length` characters long.
std::string DeepFolder(std::string dir, size_t length) {
  const size_t want = length - std::string("Import <>model.hvt").size();
  while (dir.size() + 1 < want) {
    size_t seg = std::min<size_t>(40, want - dir.size());  // name and backslash
    if (want - dir.size() - seg == 1) --seg;
    dir += std::string(seg - 1, 'd') + "\\";
    CreateDirectoryW(Long(dir).c_str(), nullptr);
  }
  return dir;
}

HWND ActiveHostWindow(Problems& p) {
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
  Check(p, GetActiveWindow() == host, "the host's window could not be made active");
  return host;
}

void Run(const Scenario& s, size_t index, Problems& p) {
  if (s.setup == kCopyWithoutCatalogue) return RunCopyWithoutCatalogue(p);
  const bool japanese = s.mode == kJapanese;
  const LANGID ui = GetUserDefaultUILanguage();
  if (japanese && (PRIMARYLANGID(ui) != LANG_JAPANESE || GetACP() != (g_latin ? 1252u : 932u)))
    return Check(p, false,
                 "Wine gives user interface language " + std::to_string(ui) + " and code page " +
                     std::to_string(GetACP()) + ", not Japanese and " + (g_latin ? "1252" : "932"));
  const size_t lineLength = 300;  // of the deep model's "Import <model>"
  std::string dir = Folder("scenario" + std::to_string(index) + (g_latin ? "-1252" : ""));
  if (s.setup == kDeep) dir = DeepFolder(dir, lineLength);
  const std::string model = dir + (s.setup == kModelNamedQsx ? "model.qsx" : "model.hvt"), qsx = dir + "model.qsx";
  const std::string result = s.answer == kBrowse ? dir + "run.hvb" : "C:\\results\\run.hvb";
  const std::string source = CaseFile(s.model, "model.hvt");
  if (s.setup == kCrlf) WriteAll(model, Replace(ReadAll(source), "\n", "\r\n"));
  if (s.setup == kFolderModel) CreateDirectoryA(model.c_str(), nullptr);
  if (s.setup != kCrlf && s.setup != kFolderModel && s.setup != kAbsent)
    CopyFileW(AnsiToWide(source).c_str(), Long(model).c_str(), FALSE);
  if (s.setup == kBlockedOutput) CreateDirectoryA(qsx.c_str(), nullptr);
  if (s.setup == kLinkedOutput)
    Check(p, CreateHardLinkW(Long(qsx).c_str(), Long(model).c_str(), nullptr), "could not make a second name");
  if (s.answer == kBrowse) WriteAll(result, "");
  HANDLE lock = s.setup == kLocked ? CreateFileA(model.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)
                                   : INVALID_HANDLE_VALUE;
  Check(p, s.setup != kLocked || lock != INVALID_HANDLE_VALUE, "could not lock the model");
  HWND host = s.flags & kHostWindow ? ActiveHostWindow(p) : nullptr;
  const std::vector<std::wstring> window = ExpectedWindow(s, model, p);
  const std::wstring caption = japanese ? L"HALVEX 読み込み" : L"Import HALVEX ";
  int widest = 0;
  const Call c = Convert(
      p,
      [&](Driver& d) {
        HWND dlg = d.WaitDialog(nullptr, "file input dialog");
        d.Check(WindowText(dlg) == caption, "file input dialog caption \"" + WideToAnsi(WindowText(dlg)) + "\"");
        if (host) d.CheckModalTo(dlg, "file input dialog");
        if (s.answer == kBrowse) Browse(d, dlg, model, result);
        if (s.answer != kBrowse) d.SetText(dlg, kModelEdit, model);
        if (s.answer != kBrowse) d.SetText(dlg, kResultEdit, result);
        d.Click(dlg, s.answer == kCancel ? IDCANCEL : IDOK, "file input dialog");
        if (s.box == kNotOverwritten)
          d.DismissBox("The file " + qsx + " is not written: it is the model file " + model + ".");
        else if (s.box)
          d.DismissBox(s.box == kQsxPath ? qsx : s.box);
        if (s.window != kNone) widest = d.ReadMessages(japanese ? nullptr : L"Message Window", window);
      },
      s.flags & kPlain, host);
  if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);

  const Call untouched;
  const bool done = s.rc == 0 && !(s.flags & kPlain);
  const std::string out = done && s.setup != kAbsent ? qsx : untouched.out, res = done ? result : untouched.res;
  Check(p, c.rc == s.rc, "result " + std::to_string(c.rc) + ", expected " + std::to_string(s.rc));
  Check(p, c.out == out, "outputPath \"" + c.out + "\", expected \"" + out + "\"");
  Check(p, c.res == res, "resultPath \"" + c.res + "\", expected \"" + res + "\"");
  Check(p, s.qsx != kNoQsx || !Exists(qsx), "model.qsx written");
  Check(p, s.qsx != kSame || (Exists(qsx) && ReadAll(qsx) == ReadAll(CaseFile(s.model, "expected.qsx"))),
        qsx + " not written or differs from the case's expected.qsx");
  Check(p, s.qsx != kModelKept || (ReadAll(qsx) == ReadAll(source) && ReadAll(model) == ReadAll(source)),
        "the model was written over");
  for (const char* log : {"ReadErr.msg", "halvexcvt.msg"})
    Check(p, !Exists(dir + log), std::string(log) + " left behind");
  if (s.setup == kDeep) {
    Check(p, ("Import <" + model + ">").size() == lineLength,
          "long line is not " + std::to_string(lineLength) + " characters");
    Check(p, widest > 1000, "the long line is only " + std::to_string(widest) + " px wide");
  }
  if (host) Check(p, IsWindowEnabled(host), "the host's window is left disabled");
  if (host) DestroyWindow(host);
}

// Shows a dialog of any language filled in (the first is the file input
// dialog, the next the message window) and holds it for a screenshot.
int Show(const std::string& what, const std::string& caseName) {
  const std::string model = g_work + "\\tower.hvt";
  CopyFileA(CaseFile(caseName, "model.hvt").c_str(), model.c_str(), FALSE);
  const auto hold = [](Driver& d, HWND dlg, int button) {
    PostMessageW(dlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dlg, button)), TRUE);  // no caret
    for (DWORD t0 = GetTickCount(); !Exists(g_work + "\\release") && GetTickCount() - t0 < 60000;) Sleep(50);
    d.Click(dlg, button == IDOK ? IDCANCEL : button);
  };
  Problems ignored;
  Convert(ignored, [&](Driver& d) {
    HWND dlg = d.WaitDialog(nullptr, "file input dialog");
    d.SetText(dlg, kModelEdit, model);
    d.SetText(dlg, kResultEdit, g_work + "\\tower.hvb");
    if (what == "input") return hold(d, dlg, IDOK);
    d.Click(dlg, IDOK);
    hold(d, d.WaitDialog(nullptr, "message window"), kClose);
  });
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return std::fprintf(stderr, "usage: see the head of tests/windows/host_test.cpp\n"), 2;
  g_cases = WideToAnsi(argv[1]);
  g_work = WideToAnsi(argv[2]);
  CreateDirectoryA(g_work.c_str(), nullptr);
  const std::wstring flag = argc > 3 ? argv[3] : L"";
  g_latin = argc > 4 && std::wstring(argv[4]) == L"--latin-code-page";
  HMODULE plugin = LoadLibraryW(L"ConvertHalvex.dll");
  if (!plugin) return std::printf("FAIL: ConvertHalvex.dll not loaded (error %lu)\n", GetLastError()), 1;
  g_convert2 = reinterpret_cast<int (*)(std::string&, std::string&)>(
      reinterpret_cast<void*>(GetProcAddress(plugin, "ConvertFile2")));
  g_convert = reinterpret_cast<int (*)()>(reinterpret_cast<void*>(GetProcAddress(plugin, "ConvertFile")));
  if (!g_convert2 || !g_convert) return std::printf("FAIL: ConvertFile2 or ConvertFile not exported\n"), 1;
  if (flag == L"--show" && argc > 5) return Show(WideToAnsi(argv[4]), WideToAnsi(argv[5]));
  const Mode mode = flag == L"--no-catalogue" ? kNoCatalogue : flag == L"--japanese" ? kJapanese : kAll;

  int passed = 0, failed = 0;
  for (size_t i = 0; i < std::size(kScenarios); ++i) {
    if (kScenarios[i].mode != mode) continue;
    Problems p;
    const DWORD t0 = GetTickCount();
    Run(kScenarios[i], i, p);
    std::printf("%s %s%s (%.1f s)\n", p.empty() ? "ok  " : "FAIL", kScenarios[i].name,
                mode != kJapanese ? ""
                : g_latin         ? ", code page 1252"
                                  : ", code page 932",
                (GetTickCount() - t0) / 1000.0);
    for (const std::string& problem : p) std::printf("       %s\n", problem.c_str());
    ++(p.empty() ? passed : failed);
    std::fflush(stdout);
  }
  if (mode == kAll) std::printf("host test scenarios: %d passed, %d failed\n", passed, failed);
  FreeLibrary(plugin);
  return failed == 0 ? 0 : 1;
}
