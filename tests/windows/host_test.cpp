// Host test of the Windows plug-in: loads ConvertHalvex.dll as a host does
// and calls it on this thread while a second thread drives its modal dialogs
// through their control ids; runs halvex2qsx.exe as a user does. Paths are
// Windows paths, UTF-8 inside this program; one line per scenario, exit
// status 0 only when every scenario passed.
//
//   host_test.exe CASES_DIR WORK_DIR [--language ja|ko|zh [--latin-code-page]]
//     the scenarios of an English user (code page 1252), or of a Japanese,
//     Korean or Chinese one (Wine in that locale: code page 932, 949 or 936;
//     1252 with the second flag, where the messages fall back to English)
//   host_test.exe CASES_DIR WORK_DIR [LANGUAGE FLAGS] --no-catalogue | --apart
//     the run of a copy, started by the runs above: beside the plug-in but
//     without Convertmsg.dll, or with the plug-in and its catalogue in a
//     folder apart from this program
//   host_test.exe CASES_DIR WORK_DIR --plugin-dir DIR
//     the scenarios of an installed copy: the plug-in loaded by full path from
//     DIR, the catalogue and halvex2qsx.exe beside it (the installer's test)
//   host_test.exe CASES_DIR WORK_DIR --show input|messages CASE
//     holds a filled-in dialog until WORK_DIR\release exists (screenshots)
#include <windows.h>
// (before the other Windows headers)
#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/wintext.h"
#include "resources/catalogue.h"
#include "tests/windows/host_cstring.h"
#include "tests/windows/string_states.h"
#include "tests/windows/ui_driver.h"

// The entry points as an MFC host declares them, with this program's CStringA
// in the place of the framework's.
using CStringA = hosttest::CStringA;
#include "plugin/exports.h"
static_assert(std::is_same_v<HalvexConvertFile2Fn, hosttest::ConvertFile2Fn>, "ConvertFile2 as the host sees it");

namespace {

using namespace hosttest;

using hvx::Utf8ToWide;
using hvx::WideToAnsi;
using hvx::WideToUtf8;

// What a user of each language sees: the dialogs' captions and the plug-in's
// words for a file that could not be created are its own (Unicode); the
// catalogue's texts come in the code page, which must hold them.
struct LanguageTexts {
  const wchar_t* flag;
  hvx::Language language;
  WORD primary;  // of the user interface language
  UINT codePage;
  const wchar_t* inputCaption;
  const wchar_t* windowCaption;
  const char* notCreated;
};
const LanguageTexts kLanguages[] = {
    {L"en", hvx::kEnglish, LANG_ENGLISH, 1252, L"Import HALVEX ", L"Message Window", "The file could not be created:"},
    {L"ja", hvx::kJapanese, LANG_JAPANESE, 932, L"HALVEX 読み込み", L"メッセージ", "ファイルを作成できませんでした:"},
    {L"ko", hvx::kKorean, LANG_KOREAN, 949, L"HALVEX 가져오기", L"메시지 창", "파일을 만들 수 없습니다:"},
    {L"zh", hvx::kChinese, LANG_CHINESE, 936, L"导入 HALVEX", L"消息窗口", "无法创建文件："},
};

// Which runs a scenario belongs to.
enum Mode { kMain = 1, kLanguage = 2, kNoCatalogue = 4, kApart = 8, kInstalled = 16 };

ConvertFile2Fn g_convert2;
int(__cdecl* g_convert)();
std::string g_cases, g_work;  // UTF-8
Mode g_mode = kMain;
const LanguageTexts* g_lang = &kLanguages[0];
bool g_latin = false;  // the user's language with code page 1252
std::wstring g_languageFlags;
std::string g_run;  // names this run's folders

std::wstring W(const std::string& s) { return Utf8ToWide(s); }
std::string U(const std::wstring& w) { return WideToUtf8(w); }
// An absolute path in the form the wide calls take beyond MAX_PATH.
std::wstring Long(const std::string& p) { return L"\\\\?\\" + W(p); }
bool Exists(const std::string& p) { return GetFileAttributesW(Long(p).c_str()) != INVALID_FILE_ATTRIBUTES; }
std::string ReadAll(const std::string& p) {
  std::ifstream f(Long(p).c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}
void WriteAll(const std::string& p, const std::string& s) { std::ofstream(Long(p).c_str(), std::ios::binary) << s; }
template <class S>
S Replace(S s, const S& from, const S& to) {
  for (size_t p = s.find(from); p != S::npos; p = s.find(from, p + to.size())) s.replace(p, from.size(), to);
  return s;
}
std::string CaseFile(const std::string& c, const char* name) { return g_cases + "\\" + c + "\\" + name; }
// A folder under the work folder (and the folders above it), with a closing
// backslash.
std::string Folder(const std::string& relative) {
  std::string dir = g_work;
  for (size_t b = 0, e; b <= relative.size(); b = e + 1) {
    e = relative.find('\\', b);
    if (e == std::string::npos) e = relative.size();
    dir += '\\';
    dir.append(relative, b, e - b);
    CreateDirectoryW(Long(dir).c_str(), nullptr);
  }
  return dir + "\\";
}
std::wstring ModuleFolder(HMODULE module) {
  wchar_t path[MAX_PATH];
  const std::wstring file(path, GetModuleFileNameW(module, path, MAX_PATH));
  return file.substr(0, file.find_last_of(L'\\') + 1);
}
// The text in the ANSI code page, when every character is there.
bool FitsCodePage(const std::wstring& w) {
  BOOL usedDefault = FALSE;
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w.c_str(), -1, nullptr, 0, nullptr, &usedDefault);
  return !usedDefault;
}
std::wstring ShortForm(const std::string& p) {
  wchar_t buf[32768];
  const DWORD n = GetShortPathNameW(Long(p).c_str(), buf, 32768);
  return n == 0 || n >= 32768 ? std::wstring() : std::wstring(buf + 4, n - 4);
}
// The path of the file a path opens, as the system names it (long names,
// without the extended-length prefix); empty when it opens nothing.
std::wstring FinalPath(const std::wstring& path) {
  const HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::wstring();
  wchar_t buf[32768];
  const DWORD n = GetFinalPathNameByHandleW(h, buf, 32768, FILE_NAME_NORMALIZED);
  CloseHandle(h);
  const std::wstring final(buf, n > 0 && n < 32768 ? n : 0);
  return final.rfind(L"\\\\?\\", 0) == 0 ? final.substr(4) : final;
}
// The system's text of an error in the user's interface language (or a
// language given), else in the system's.
std::wstring SystemText(DWORD error, WORD primary = 0) {
  const DWORD language = primary ? MAKELANGID(primary, SUBLANG_DEFAULT) : GetUserDefaultUILanguage();
  wchar_t buf[1024];
  DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, language, buf,
                           1024, nullptr);
  if (n == 0)
    n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, buf, 1024,
                       nullptr);
  std::wstring s(buf, n);
  while (!s.empty() && (s.back() == L'\n' || s.back() == L'\r' || s.back() == L' ')) s.pop_back();
  return s;
}
std::wstring CurrentFolder() {
  wchar_t buf[32768];
  return std::wstring(buf, GetCurrentDirectoryW(32768, buf));
}

// One call of the plug-in: the result and what the host's strings hold after
// it; each string is checked, and once both are released, the host's manager.
struct Call {
  int rc = 0;
  std::string out = "<out unchanged>", res = "<res unchanged>";  // the plug-in's 8-bit texts
  bool outTouched = false, resTouched = false;  // a string's pointer, header or characters changed
};

// A host string's pointer, header and characters as they are.
std::string Snapshot(const CStringA& s) {
  const StringData* d = s.Data();
  std::string bytes(reinterpret_cast<const char*>(&d), sizeof d);
  return bytes.append(reinterpret_cast<const char*>(d), sizeof *d + static_cast<size_t>(d->nAllocLength) + 1);
}

// One call of the plug-in on this thread while `drive` works its dialogs,
// with two CStringA of the host's own string manager.
Call Convert(Problems& p, const std::function<void(Driver&)>& drive, bool plain = false, HWND owner = nullptr) {
  Call c;
  TestStringMgr manager;
  {
    CStringA out(manager, c.out), res(manager, c.res);
    const std::string outBefore = Snapshot(out), resBefore = Snapshot(res);
    c.rc = CallWhileDriving(p, drive, [&] { return plain ? g_convert() : g_convert2(out, res); }, owner);
    for (const auto& [s, name] : {std::pair{&out, "outputPath"}, std::pair{&res, "resultPath"}})
      for (const std::string& bad : CheckString(*s, manager, std::nullopt, name)) p.push_back(bad);
    c.out = out.Text();
    c.res = res.Text();
    c.outTouched = Snapshot(out) != outBefore;
    c.resTouched = Snapshot(res) != resBefore;
  }
  for (const std::string& fault : manager.Faults(true)) p.push_back("the host's string manager: " + fault);
  return c;
}

// The first file type the file-open dialog lists: the catalogue's filter in
// the language the code page holds (English without the catalogue too, as a
// "|"-less fallback text is one entry).
std::string ExpectedFirstFilter() {
  const hvx::Message& m = hvx::Messages()[hvx::FindMessage("IDS_HALVEX_Model_File_Filter")];
  const std::string text = m.text[g_latin ? hvx::kEnglish : g_lang->language];
  return text.substr(0, text.find('|'));
}

// Browsing: the file-open dialog opens in the folder of the path typed;
// choosing refreshes both fields from the stored paths; a cancelled browse
// changes nothing. The model filter comes from the catalogue, split at "|".
void Browse(Driver& d, HWND dlg, const std::string& dir, const std::string& model, const std::string& result) {
  d.SetText(dlg, kModelEdit, dir + "typed.hvt");  // a file not there, in a folder that is
  d.SetText(dlg, kResultEdit, "typed result");
  d.Click(dlg, kModelBrowse);
  HWND open = d.WaitDialog(nullptr, "file-open dialog");
  wchar_t folder[4096] = L"";
  d.Send(open, CDM_GETFOLDERPATH, 4096, reinterpret_cast<LPARAM>(folder));
  d.Check(U(folder) + "\\" == dir, "the file-open dialog opened in \"" + U(folder) + "\", not " + dir);
  HWND types = GetDlgItem(open, cmb1);  // the file type list
  const LRESULT n = types ? d.Send(types, CB_GETCOUNT) : 0;
  wchar_t first[256] = L"";
  if (n > 0 && d.Send(types, CB_GETLBTEXTLEN, 0) < 256) d.Send(types, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first));
  d.Check(n == 2 && U(first).rfind(ExpectedFirstFilter(), 0) == 0,
          "model filter shows " + std::to_string(n) + " types, the first \"" + U(first) + "\"");
  PostMessageW(open, WM_COMMAND, IDCANCEL, 0);
  d.WaitGone(open, "file-open dialog");
  d.Check(d.Text(dlg, kModelEdit) == dir + "typed.hvt" && d.Text(dlg, kResultEdit) == "typed result",
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

// How the model is laid out before the call; the last three are no call of
// the plug-in in this program.
enum Setup {
  kCopy,
  kCrlf,
  kAbsent,
  kLocked,
  kFolderModel,
  kBlockedOutput,
  kDeep,
  kCyrillic,      // in <scenario>\Проекты\мост\model.hvt
  kJapaneseName,  // in <scenario>\設計\塔\塔.hvt
  kModelNamedQsx,  // the model is model.qsx
  kLinkedOutput,   // model.qsx is a second name (hard link) of model.hvt
  kCopyWithoutCatalogue,
  kCopyApart,
  kVersions,
};
enum Answer { kOk, kCancel, kBrowse };
enum Window { kNone, kCase, kFallback, kTranslated };  // expected.stdout of the case, with the fallback or translated
enum Qsx { kSame, kNoQsx, kUnchecked, kModelKept };  // model.qsx left: the case's expected.qsx, none, any,
                                                     // the case's model.hvt (the model kept as it was)
enum Flags {
  kPlain = 1,         // ConvertFile instead of ConvertFile2
  kHostWindow = 2,    // the host has an active window
  kInactiveHost = 4,  // the host has a visible window, but no active one
  kCopyLines = 8,     // Ctrl+C in the message window
  kTool = 16,         // halvex2qsx.exe MODEL, output to files
  kToolConsole = 32,  // the same on a console
};

constexpr const char* kClean = "nodes-order-and-number-format";
constexpr const char* kFormatError = "read-fail-element-line";
constexpr const char* kCantOpen = "Can't open NEUtral file!";
constexpr const char* kFileErrorBox = "@FILE ERROR@";  // the words for it, the .qsx's path, the system's text
constexpr const char* kNotOverwritten = "@NOT OVERWRITTEN@";  // the .qsx would be the model: not written

struct Scenario {
  const char* name;
  int modes;
  const char* model;  // the case whose model.hvt is used
  Setup setup;
  Answer answer;
  int rc;           // outputPath is (a path that opens) the .qsx beside the model when rc is 0 and the model
                    // exists, resultPath the result typed or chosen when rc is 0 (ConvertFile2 only); else both
                    // are untouched
  const char* box;  // a part of the one message box's text
  Window window;
  Qsx qsx;
  int flags;
};

const Scenario kScenarios[] = {
    {"done: Windows line ends, paths returned, output as expected, no window", kMain | kInstalled, kClean, kCrlf, kOk, 0,
     nullptr, kNone, kSame, 0},
    {"done through ConvertFile", kMain, kClean, kCopy, kOk, 0, nullptr, kNone, kSame, kPlain},
    {"cancelled: out-parameters untouched", kMain, kClean, kCopy, kCancel, 1, nullptr, kNone, kNoQsx, 0},
    {"missing model: result path only", kMain, kClean, kAbsent, kOk, 0, nullptr, kNone, kNoQsx, 0},
    {"model locked by another program: message box, -1", kMain, kClean, kLocked, kOk, -1, kCantOpen, kNone, kNoQsx, 0},
    {"model is a folder: message box, -1", kMain, kClean, kFolderModel, kOk, -1, kCantOpen, kNone, kNoQsx, 0},
    {"output blocked: a box with the words for it, the file and the system's text; still done", kMain | kLanguage,
     kClean, kBlockedOutput, kOk, 0, kFileErrorBox, kNone, kUnchecked, 0},
    {"model named model.qsx: not written over, a file error box says why; still done", kMain, kClean, kModelNamedQsx,
     kOk, 0, kNotOverwritten, kNone, kModelKept, 0},
    {"the .qsx a second name of the model: not written over", kMain, kClean, kLinkedOutput, kOk, 0, kNotOverwritten,
     kNone, kModelKept, 0},
    {"browse: opens in the typed folder, cancel keeps, choosing refreshes both fields, current folder kept", kMain,
     kClean, kCopy, kBrowse, 0, nullptr, kNone, kSame, 0},
    {"300-character model path: scroll range, the long path's form", kMain, kFormatError, kDeep, kOk, 0, nullptr, kCase,
     kSame, 0},
    {"host with an active window: dialogs and box modal to it", kMain, kClean, kBlockedOutput, kOk, 0, kFileErrorBox,
     kNone, kUnchecked, kHostWindow},
    {"host with an active window: message window modal to it", kMain, kFormatError, kCopy, kOk, 0, nullptr, kCase,
     kSame, kHostWindow},
    {"host without an active window: its visible window owns the dialogs, disabled meanwhile", kMain, kFormatError,
     kCopy, kOk, 0, nullptr, kCase, kSame, kInactiveHost},
    {"Ctrl+C in the message window: every line on the clipboard", kMain | kLanguage | kInstalled, kFormatError, kCopy,
     kOk, 0, nullptr, kTranslated, kSame, kCopyLines},
    {"model in a Cyrillic folder: converted, the short path handed back opens the .qsx", kMain, kFormatError, kCyrillic,
     kOk, 0, nullptr, kCase, kSame, 0},
    {"model with a Japanese name in Japanese folders: the same", kMain, kFormatError, kJapaneseName, kOk, 0, nullptr,
     kCase, kSame, 0},
    {"halvex2qsx.exe, Cyrillic folder, output to a file: converted, lines in the code page", kMain | kInstalled,
     kFormatError, kCyrillic, kOk, 0, nullptr, kCase, kSame, kTool},
    {"halvex2qsx.exe, Japanese folder and name, output to a file", kMain, kFormatError, kJapaneseName, kOk, 0, nullptr,
     kCase, kSame, kTool},
    {"halvex2qsx.exe, Japanese folder and name, on a console: the path shown as it is", kMain, kFormatError,
     kJapaneseName, kOk, 0, nullptr, kCase, kSame, kToolConsole},
    {"version resources of the three files; the manifests", kMain | kInstalled, kClean, kVersions, kOk, 0, nullptr,
     kNone, kNoQsx, 0},
    {"missing catalogue: a copy without Convertmsg.dll", kMain, kFormatError, kCopyWithoutCatalogue, kOk, 0, nullptr,
     kNone, kUnchecked, 0},
    {"  (copy without Convertmsg.dll) fallback text in the message window", kNoCatalogue, kFormatError, kCopy, kOk, 0,
     nullptr, kFallback, kSame, 0},
    {"plug-in and catalogue in a folder apart from the host: a copy", kMain | kLanguage, kFormatError, kCopyApart, kOk,
     0, nullptr, kNone, kUnchecked, 0},
    {"  (plug-in apart) the catalogue's texts in the message window", kApart, kFormatError, kCopy, kOk, 0, nullptr,
     kTranslated, kSame, 0},
    {"  (plug-in apart) the catalogue's two-entry filter", kApart, kClean, kCopy, kBrowse, 0, nullptr, kNone, kSame, 0},
    {"user's language: dialog captions, log lines in the code page's language", kLanguage, kFormatError, kCopy, kOk, 0,
     nullptr, kTranslated, kSame, 0},
};

// Runs this program again from a folder of its own, the plug-in beside it
// without its catalogue, or in a folder apart with its catalogue beside it;
// the copy reports into a file whose lines are shown here.
void RunCopy(Problems& p, bool apart) {
  const HMODULE plugin = GetModuleHandleW(L"ConvertHalvex.dll");
  const std::wstring from = ModuleFolder(plugin);
  const std::string name = std::string(apart ? "apart-" : "no-catalogue-") + g_run;
  const std::wstring bin = W(Folder(name)), pluginDir = apart ? W(Folder(name + "\\plugins")) : bin;
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  Check(p, CopyFileW(self, (bin + L"host_test.exe").c_str(), FALSE), "could not copy the host");
  for (const wchar_t* file : {L"ConvertHalvex.dll", L"Convertmsg.dll"})
    if (apart || std::wstring(file) == L"ConvertHalvex.dll")
      Check(p, CopyFileW((from + file).c_str(), (pluginDir + file).c_str(), FALSE), "could not copy " + U(file));
  std::wstring cmd = L"\"" + bin + L"host_test.exe\" \"" + W(g_cases) + L"\" \"" + W(g_work) + L"\" " +
                     g_languageFlags + (apart ? L" --apart" : L" --no-catalogue");
  const std::string log = g_work + "\\" + name + ".log";
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = si.hStdError =
      CreateFileW(Long(log).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
  PROCESS_INFORMATION pi{};
  const BOOL started = CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, bin.c_str(), &si, &pi);
  CloseHandle(si.hStdOutput);
  if (!started) return Check(p, false, "could not start the copy");
  DWORD code = 1;
  if (WaitForSingleObject(pi.hProcess, 6 * kStepMs) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 3);
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  std::fputs(ReadAll(log).c_str(), stdout);
  Check(p, code == 0, "the copy's run failed or did not finish (see above)");
}

// The version resource of each file, from the CMake project's version; the
// plug-in's manifest asks for the common controls of version 6, the tool's
// declares long paths.
void CheckVersions(Problems& p) {
  const std::wstring dir = ModuleFolder(GetModuleHandleW(L"ConvertHalvex.dll"));
  unsigned major = 0, minor = 0, patch = 0;
  std::sscanf(HALVEX_VERSION, "%u.%u.%u", &major, &minor, &patch);
  const struct {
    const wchar_t* file;
    DWORD type;
  } files[] = {{L"ConvertHalvex.dll", VFT_DLL}, {L"Convertmsg.dll", VFT_DLL}, {L"halvex2qsx.exe", VFT_APP}};
  std::set<std::wstring> descriptions;
  for (const auto& f : files) {
    const std::wstring path = dir + f.file;
    const std::string what = U(f.file) + ": ";
    std::vector<BYTE> data(GetFileVersionInfoSizeW(path.c_str(), nullptr));
    if (data.empty() || !GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(data.size()), data.data())) {
      Check(p, false, what + "no version resource");
      continue;
    }
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    const bool hasFixed = VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &size) && fixed;
    Check(p,
          hasFixed && HIWORD(fixed->dwFileVersionMS) == major && LOWORD(fixed->dwFileVersionMS) == minor &&
              HIWORD(fixed->dwFileVersionLS) == patch && LOWORD(fixed->dwFileVersionLS) == 0 &&
              fixed->dwProductVersionMS == fixed->dwFileVersionMS && fixed->dwFileType == f.type,
          what + "file version, product version or type");
    const auto value = [&](const wchar_t* name) {
      wchar_t* text = nullptr;
      UINT length = 0;
      const std::wstring key = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
      if (!VerQueryValueW(data.data(), key.c_str(), reinterpret_cast<void**>(&text), &length) || !text)
        return std::wstring();
      return std::wstring(text);
    };
    const std::wstring version = W(HALVEX_VERSION);
    Check(p, value(L"ProductName") == L"halvex2qsx", what + "ProductName \"" + U(value(L"ProductName")) + "\"");
    Check(p, value(L"FileVersion") == version && value(L"ProductVersion") == version,
          what + "FileVersion \"" + U(value(L"FileVersion")) + "\", ProductVersion \"" + U(value(L"ProductVersion")) +
              "\", expected " + HALVEX_VERSION);
    Check(p, value(L"OriginalFilename") == f.file, what + "OriginalFilename \"" + U(value(L"OriginalFilename")) + "\"");
    Check(p, value(L"LegalCopyright").find(L"Copyright") == 0, what + "no LegalCopyright");
    Check(p, descriptions.insert(value(L"FileDescription")).second && !value(L"FileDescription").empty(),
          what + "FileDescription empty or another file's: \"" + U(value(L"FileDescription")) + "\"");
  }
  const auto manifest = [&](const wchar_t* file, int id) {
    const HMODULE m = LoadLibraryExW((dir + file).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    const HRSRC r = m ? FindResourceW(m, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(24)) : nullptr;
    const HGLOBAL g = r ? LoadResource(m, r) : nullptr;
    const std::string text = g ? std::string(static_cast<const char*>(LockResource(g)), SizeofResource(m, r)) : "";
    if (m) FreeLibrary(m);
    return text;
  };
  const std::string tool = manifest(L"halvex2qsx.exe", 1), plugin = manifest(L"ConvertHalvex.dll", 2);
  Check(p, tool.find(">true</longPathAware>") != std::string::npos, "the tool's manifest does not declare long paths");
  Check(p,
        plugin.find("Microsoft.Windows.Common-Controls") != std::string::npos &&
            plugin.find("\"6.0.0.0\"") != std::string::npos,
        "the plug-in's manifest does not ask for the common controls of version 6");
}

// The expected message window: the case's, or the case's with its format
// error line (the second) as the fallback text or from the catalogue in the
// language the code page can show (the user's, else English); the model as
// the window names it.
std::vector<std::wstring> ExpectedWindow(const Scenario& s, const std::wstring& model, Problems& p) {
  std::vector<std::wstring> lines;
  const std::wstring text = Replace(W(ReadAll(CaseFile(s.model, "expected.stdout"))), std::wstring(L"@MODEL@"), model);
  for (size_t b = 0, e; s.window != kNone && (e = text.find(L'\n', b)) != std::wstring::npos; b = e + 1)
    lines.push_back(text.substr(b, e - b));
  if (s.window == kNone || s.window == kCase) return lines;
  const hvx::Message& m = hvx::Messages()[hvx::FindMessage("IDS_HALVEX_Invalid_format_in_line_d__")];
  int n = 0;
  char line[256] = "Error : DLL is not loaded. check message dll!\n";
  if (lines.size() != 4 || std::sscanf(U(lines[1]).c_str(), m.text[hvx::kEnglish], &n) != 1)
    return Check(p, false, "the case's window has no format error line"), lines;
  if (s.window == kTranslated) std::snprintf(line, sizeof line, m.text[g_latin ? hvx::kEnglish : g_lang->language], n);
  lines[1] = W(std::string(line, std::strlen(line) - 1));  // without the line end
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

// A visible window of the host: active, or shown without activating it (and
// the thread then has no active window).
HWND HostWindow(Problems& p, bool active) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"HalvexTestHost";
  RegisterClassW(&wc);
  HWND host = CreateWindowW(wc.lpszClassName, L"Host", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                            wc.hInstance, nullptr);
  ShowWindow(host, active ? SW_SHOW : SW_SHOWNOACTIVATE);
  if (active) {
    SetForegroundWindow(host);
    SetActiveWindow(host);
  }
  for (MSG m; PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&m);
  Check(p, active ? GetActiveWindow() == host : GetActiveWindow() == nullptr && GetForegroundWindow() != host,
        active ? "the host's window could not be made active" : "the thread has an active window");
  return host;
}

// halvex2qsx.exe MODEL, started as a user starts it (a Unicode command line),
// its output to files, or to a console that is read back.
void RunTool(Problems& p, const Scenario& s, const std::string& model, const std::string& dir, bool console) {
  const std::wstring tool = ModuleFolder(GetModuleHandleW(L"ConvertHalvex.dll")) + L"halvex2qsx.exe";
  std::wstring cmd = L"\"" + tool + L"\" \"" + W(model) + L"\"";
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  HANDLE out = INVALID_HANDLE_VALUE, err = INVALID_HANDLE_VALUE;
  const std::string outFile = dir + "tool.out", errFile = dir + "tool.err";
  if (console) {
    // A console of this program's own, cleared; the tool writes to it.
    FreeConsole();
    AllocConsole();
    out = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, OPEN_EXISTING,
                      0, nullptr);
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (out == INVALID_HANDLE_VALUE || !GetConsoleScreenBufferInfo(out, &info))
      return Check(p, false, "no console (error " + std::to_string(GetLastError()) + ")");
    DWORD written = 0;
    FillConsoleOutputCharacterW(out, L' ', info.dwSize.X * info.dwSize.Y, COORD{0, 0}, &written);
    SetConsoleCursorPosition(out, COORD{0, 0});
    si.hStdOutput = si.hStdError = out;
  } else {
    out = CreateFileW(Long(outFile).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
    err = CreateFileW(Long(errFile).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
    si.hStdOutput = out;
    si.hStdError = err;
  }
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION pi{};
  const BOOL started =
      CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, W(dir).c_str(), &si, &pi);
  if (!started) Check(p, false, "could not start " + U(tool) + " (error " + std::to_string(GetLastError()) + ")");
  DWORD code = 99;
  if (started) {
    if (WaitForSingleObject(pi.hProcess, 4 * kStepMs) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 98);
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
  }
  Check(p, code == 0, "halvex2qsx.exe exited with " + std::to_string(code));
  const std::vector<std::wstring> window = ExpectedWindow(s, W(model), p);
  if (console) {
    // Every line shows as it is, in order (a long one wraps on to the next row).
    CONSOLE_SCREEN_BUFFER_INFO info{};
    GetConsoleScreenBufferInfo(out, &info);
    std::wstring screen(static_cast<size_t>(info.dwSize.X) * info.dwSize.Y, L' ');
    DWORD got = 0;
    ReadConsoleOutputCharacterW(out, screen.data(), static_cast<DWORD>(screen.size()), COORD{0, 0}, &got);
    screen.resize(got);
    size_t at = 0;
    for (const std::wstring& line : window) {
      if (line.empty()) continue;
      const size_t found = screen.find(line, at);
      Check(p, found != std::wstring::npos, "the console does not show \"" + U(line) + "\"");
      if (found != std::wstring::npos) at = found + line.size();
    }
    CloseHandle(out);
  } else {
    CloseHandle(out);
    CloseHandle(err);
    // The lines in the ANSI code page (what it cannot hold as "?"), as a
    // Windows program's redirected output.
    std::string want;
    for (const std::wstring& line : window) want += WideToAnsi(line) + "\n";
    const std::string shown = Replace(ReadAll(outFile), std::string("\r\n"), std::string("\n"));
    Check(p, shown == want, "standard output \"" + shown + "\", expected \"" + want + "\"");
    // Standard error: the summary line of a model whose reading stopped, the
    // model named as given, in the code page too.
    const std::string err = Replace(ReadAll(errFile), std::string("\r\n"), std::string("\n"));
    const std::string head = WideToAnsi(L"halvex2qsx: " + W(model) + L": reading stopped at line "), tail = " (see --report)\n";
    Check(p,
          err.rfind(head, 0) == 0 && err.size() > head.size() + tail.size() &&
              err.compare(err.size() - tail.size(), tail.size(), tail) == 0 && err.find('\n') == err.size() - 1,
          "standard error \"" + err + "\", not the summary line");
  }
}

void Run(const Scenario& s, size_t index, Problems& p) {
  if (s.setup == kCopyWithoutCatalogue || s.setup == kCopyApart) return RunCopy(p, s.setup == kCopyApart);
  if (s.setup == kVersions) return CheckVersions(p);
  const LANGID ui = GetUserDefaultUILanguage();
  const UINT codePage = g_latin ? 1252 : g_lang->codePage;
  if (PRIMARYLANGID(ui) != g_lang->primary || GetACP() != codePage)
    return Check(p, false,
                 "Wine gives user interface language " + std::to_string(ui) + " and code page " +
                     std::to_string(GetACP()) + ", not " + U(g_lang->flag) + " and " + std::to_string(codePage));
  const size_t lineLength = 300;  // of the deep model's "Import <model>"
  std::string dir = Folder("s" + std::to_string(index) + "-" + g_run);
  std::string name = s.setup == kModelNamedQsx ? "model.qsx" : "model.hvt";
  if (s.setup == kDeep) dir = DeepFolder(dir, lineLength);
  if (s.setup == kCyrillic) dir = Folder("s" + std::to_string(index) + "-" + g_run + "\\Проекты\\мост");
  if (s.setup == kJapaneseName) {
    dir = Folder("s" + std::to_string(index) + "-" + g_run + "\\設計\\塔");
    name = "塔.hvt";
  }
  const std::string model = dir + name, qsx = dir + name.substr(0, name.size() - 4) + ".qsx";
  const std::string result = s.answer == kBrowse ? dir + "run.hvb" : "C:\\results\\run.hvb";
  const std::string source = CaseFile(s.model, "model.hvt");
  if (s.setup == kCrlf) WriteAll(model, Replace(ReadAll(source), std::string("\n"), std::string("\r\n")));
  if (s.setup == kFolderModel) CreateDirectoryW(Long(model).c_str(), nullptr);
  if (s.setup != kCrlf && s.setup != kFolderModel && s.setup != kAbsent)
    CopyFileW(Long(source).c_str(), Long(model).c_str(), FALSE);
  if (s.setup == kBlockedOutput) CreateDirectoryW(Long(qsx).c_str(), nullptr);
  if (s.setup == kLinkedOutput)
    Check(p, CreateHardLinkW(Long(qsx).c_str(), Long(model).c_str(), nullptr), "could not make a second name");
  if (s.answer == kBrowse) WriteAll(result, "");

  if (s.flags & (kTool | kToolConsole)) {
    RunTool(p, s, model, dir, s.flags & kToolConsole);
  } else {
    HANDLE lock = s.setup == kLocked
                      ? CreateFileW(Long(model).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)
                      : INVALID_HANDLE_VALUE;
    Check(p, s.setup != kLocked || lock != INVALID_HANDLE_VALUE, "could not lock the model");
    std::vector<std::string> box;
    if (s.box == kFileErrorBox) {
      // What the system says when the .qsx cannot be created, in the user's language.
      const HANDLE h = CreateFileW(Long(qsx).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
      const DWORD error = h == INVALID_HANDLE_VALUE ? GetLastError() : 0;
      if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
      box = {g_lang->notCreated, qsx, U(SystemText(error))};
      // Wine has the system's texts in these languages too.
      Check(p, g_lang->language == hvx::kEnglish || SystemText(error) != SystemText(error, LANG_ENGLISH),
            "the system's text of error " + std::to_string(error) + " is not in the user's language");
    } else if (s.box == kNotOverwritten) {
      box = {"The file " + qsx + " is not written: it is the model file " + model + "."};
    } else if (s.box) {
      box = {s.box};
    }
    HWND host = s.flags & (kHostWindow | kInactiveHost) ? HostWindow(p, s.flags & kHostWindow) : nullptr;
    // The window names the model by the 8-bit text the host gets: the path,
    // or its short form when the code page cannot hold it.
    const std::wstring shownModel = FitsCodePage(W(model)) ? W(model) : ShortForm(model);
    const std::vector<std::wstring> window = ExpectedWindow(s, shownModel, p);
    const std::wstring folderBefore = CurrentFolder();
    int widest = 0;
    const Call c = Convert(
        p,
        [&](Driver& d) {
          HWND dlg = d.WaitDialog(nullptr, "file input dialog");
          d.Check(WindowText(dlg) == g_lang->inputCaption, "file input dialog caption \"" + U(WindowText(dlg)) + "\"");
          // Controls of the common controls of version 6 know their ideal size.
          SIZE ideal{};
          d.Check(d.Send(d.Item(dlg, IDOK), BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)) != 0,
                  "the dialog's buttons are not of the common controls of version 6");
          if (host) d.CheckModalTo(dlg, "file input dialog");
          if (s.answer == kBrowse) Browse(d, dlg, dir, model, result);
          if (s.answer != kBrowse) d.SetText(dlg, kModelEdit, model);
          if (s.answer != kBrowse) d.SetText(dlg, kResultEdit, result);
          d.Click(dlg, s.answer == kCancel ? IDCANCEL : IDOK, "file input dialog");
          if (!box.empty()) d.DismissBox(box);
          if (s.window != kNone) widest = d.ReadMessages(g_lang->windowCaption, window, s.flags & kCopyLines);
        },
        s.flags & kPlain, host);
    if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);

    const Call untouched;
    const bool done = s.rc == 0 && !(s.flags & kPlain);
    const std::string res = done ? result : untouched.res;
    Check(p, c.rc == s.rc, "result " + std::to_string(c.rc) + ", expected " + std::to_string(s.rc));
    if (done && s.setup != kAbsent && !FitsCodePage(W(qsx))) {
      // An 8-bit path (the short form) that opens the file written.
      const std::wstring opened = FinalPath(hvx::AnsiToWide(c.out));
      Check(p, FitsCodePage(hvx::AnsiToWide(c.out)) && !opened.empty() && opened == FinalPath(Long(qsx)),
            "outputPath \"" + c.out + "\" opens \"" + U(opened) + "\", not " + qsx);
    } else {
      const std::string out = done && s.setup != kAbsent ? qsx : untouched.out;
      Check(p, c.out == out, "outputPath \"" + c.out + "\", expected \"" + out + "\"");
    }
    Check(p, c.res == res, "resultPath \"" + c.res + "\", expected \"" + res + "\"");
    // A string the call does not hand back is not touched at all.
    Check(p, done || !c.resTouched, "resultPath touched though not handed back");
    Check(p, (done && s.setup != kAbsent) || !c.outTouched, "outputPath touched though not handed back");
    Check(p, CurrentFolder() == folderBefore, "the current folder changed to " + U(CurrentFolder()));
    if (s.setup == kDeep) {
      Check(p, ("Import <" + model + ">").size() == lineLength,
            "long line is not " + std::to_string(lineLength) + " characters");
      Check(p, widest > 1000, "the long line is only " + std::to_string(widest) + " px wide");
    }
    if (host) Check(p, IsWindowEnabled(host), "the host's window is left disabled");
    if (host) DestroyWindow(host);
  }
  Check(p, s.qsx != kNoQsx || !Exists(qsx), "model.qsx written");
  Check(p, s.qsx != kSame || (Exists(qsx) && ReadAll(qsx) == ReadAll(CaseFile(s.model, "expected.qsx"))),
        qsx + " not written or differs from the case's expected.qsx");
  Check(p, s.qsx != kModelKept || (ReadAll(qsx) == ReadAll(source) && ReadAll(model) == ReadAll(source)),
        "the model was written over");
  for (const char* log : {"ReadErr.msg", "halvexcvt.msg"})
    Check(p, !Exists(dir + log), std::string(log) + " left behind");
}

// Shows a dialog of any language filled in (the first is the file input
// dialog, the next the message window) and holds it for a screenshot.
int Show(const std::string& what, const std::string& caseName) {
  const std::string model = g_work + "\\tower.hvt";
  CopyFileW(W(CaseFile(caseName, "model.hvt")).c_str(), W(model).c_str(), FALSE);
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
  g_cases = U(argv[1]);
  g_work = U(argv[2]);
  CreateDirectoryW(argv[2], nullptr);
  bool apart = false;
  std::wstring pluginDir;
  for (int i = 3; i < argc; ++i) {
    const std::wstring a = argv[i];
    if (a == L"--language" && i + 1 < argc) {
      for (const LanguageTexts& l : kLanguages)
        if (argv[i + 1] == std::wstring(l.flag)) g_lang = &l;
      g_mode = kLanguage;
      g_languageFlags += L"--language " + std::wstring(argv[++i]) + L" ";
    } else if (a == L"--latin-code-page") {
      g_latin = true;
      g_languageFlags += a + L" ";
    } else if (a == L"--no-catalogue") {
      g_mode = kNoCatalogue;
    } else if (a == L"--apart") {
      g_mode = kApart;
      apart = true;
    } else if (a == L"--plugin-dir" && i + 1 < argc) {
      g_mode = kInstalled;
      pluginDir = argv[++i];
    }
  }
  g_run = U(g_lang->flag) + (g_latin ? "-1252" : "");
  // A host keeping its plug-ins in a folder of their own loads them by path.
  std::wstring pluginPath = apart ? ModuleFolder(nullptr) + L"plugins\\ConvertHalvex.dll" : L"ConvertHalvex.dll";
  if (!pluginDir.empty()) pluginPath = pluginDir + L"\\ConvertHalvex.dll";
  HMODULE plugin = LoadLibraryW(pluginPath.c_str());
  if (!plugin) return std::printf("FAIL: ConvertHalvex.dll not loaded (error %lu)\n", GetLastError()), 1;
  g_convert2 = reinterpret_cast<ConvertFile2Fn>(reinterpret_cast<void*>(GetProcAddress(plugin, "ConvertFile2")));
  g_convert = reinterpret_cast<int(__cdecl*)()>(reinterpret_cast<void*>(GetProcAddress(plugin, "ConvertFile")));
  if (!g_convert2 || !g_convert) return std::printf("FAIL: ConvertFile2 or ConvertFile not exported\n"), 1;
  if (argc > 5 && std::wstring(argv[3]) == L"--show") return Show(U(argv[4]), U(argv[5]));

  const std::string who = std::string(g_mode == kInstalled ? "installed copy, " : "") + U(g_lang->flag) +
                          " user, code page " + std::to_string(g_latin ? 1252 : g_lang->codePage);
  int passed = 0, failed = 0;
  for (size_t i = 0; i < std::size(kScenarios); ++i) {
    if (!(kScenarios[i].modes & g_mode)) continue;
    Problems p;
    const DWORD t0 = GetTickCount();
    Run(kScenarios[i], i, p);
    std::printf("%s %s, %s (%.1f s)\n", p.empty() ? "ok  " : "FAIL", kScenarios[i].name, who.c_str(),
                (GetTickCount() - t0) / 1000.0);
    for (const std::string& problem : p) std::printf("       %s\n", problem.c_str());
    ++(p.empty() ? passed : failed);
    std::fflush(stdout);
  }
  if (g_mode == kMain) {
    // The host's strings in every state, through one plain conversion each.
    const std::string dir = Folder("states-" + g_run);
    CopyFileW(Long(CaseFile(kClean, "model.hvt")).c_str(), Long(dir + "model.hvt").c_str(), FALSE);
    RunStringStates(g_convert2, dir + "model.hvt", "C:\\results\\run.hvb", dir + "model.qsx", passed, failed);
  }
  if (g_mode == kMain || g_mode == kLanguage || g_mode == kInstalled)
    std::printf("host test scenarios, %s: %d passed, %d failed\n", who.c_str(), passed, failed);
  FreeLibrary(plugin);
  return failed == 0 ? 0 : 1;
}
