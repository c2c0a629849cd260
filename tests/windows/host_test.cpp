// Host test of the Windows plug-in: loads ConvertHalvex.dll as a host does
// and calls it on this thread while a second thread drives its modal dialogs
// through their control ids; runs halvex2qsx.exe as a user does. The
// scenarios (the host's string states among them) and the languages' texts
// are the records of tests/windows/host_cases.txt, found beside CASES_DIR.
// Paths are Windows paths, UTF-8 inside this program; one line per scenario,
// exit status 0 only when every scenario passed.
//
//   host_test.exe CASES_DIR WORK_DIR [--language ja|ko|zh [--latin-code-page]]
//                 [--no-catalogue | --apart | --plugin-dir DIR | --show input|messages CASE]
// An English user (code page 1252), or a Japanese, Korean or Chinese one (Wine
// in that locale: code page 932, 949 or 936; 1252 with --latin-code-page,
// where the messages fall back to English). --no-catalogue, --apart: the run
// of a copy, started by the runs above, beside the plug-in without
// Convertmsg.dll, or with both in a folder apart. --plugin-dir: an installed
// copy, loaded by full path from DIR (the installer's test). --show: holds a
// filled-in dialog until WORK_DIR\release exists (screenshots).
#include <windows.h>
// (before the other Windows headers)
#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <type_traits>

#include "resources/catalogue.h"
#include "tests/windows/host_cstring.h"
#include "tests/windows/ui_driver.h"

// The entry points as an MFC host declares them, with this program's CStringA
// in the place of the framework's.
using CStringA = hosttest::CStringA;
#include "plugin/exports.h"
static_assert(std::is_same_v<HalvexConvertFile2Fn, hosttest::ConvertFile2Fn>, "ConvertFile2 as the host sees it");

namespace {

using namespace hosttest;
using namespace std::literals;
using hvx::WideToAnsi;

// Which runs a scenario belongs to; what it sets up, answers and expects (the words of host_cases.txt, in order).
// clang-format off
// A "language" record: what a user of the language sees (the user interface's primary language, the code page).
struct LanguageTexts { std::wstring flag, inputCaption, windowCaption; hvx::Language language; WORD primary;
                       UINT codePage; std::string notCreated; };
enum Mode { kMain = 1, kLanguage = 2, kNoCatalogue = 4, kApart = 8, kInstalled = 16 };
enum Setup { kCopy, kCrlf, kAbsent, kLocked, kFolderModel, kBlockedOutput, kDeep, kCyrillic, kJapaneseName,
             kModelNamedQsx, kLinkedOutput, kCopyWithoutCatalogue, kCopyApart, kVersions };
enum Answer { kOk, kCancel, kBrowse };
enum Window { kNone, kCase, kFallback, kTranslated };
enum Qsx { kSame, kNoQsx, kUnchecked, kModelKept };
enum Flags { kPlain = 1, kHostWindow = 2, kInactiveHost = 4, kCopyLines = 8, kTool = 16, kToolConsole = 32,
             kEmptyResult = 64 };
struct Scenario {
  std::string name, model, box, start, calls;  // calls: "" unchecked
  int line = 0, modes = 0, rc = 0, flags = 0, refuse = -1;
  Setup setup = kCopy; Answer answer = kOk; Window window = kNone; Qsx qsx = kSame;
};
constexpr const char* kFileErrorBox = "@FILE ERROR@";
constexpr const char* kNotOverwritten = "@NOT OVERWRITTEN@";
// How both host strings stand before a call: their texts, a second owner each, locked with this room (-1: not).
struct Start { std::string out, res; bool shared = false; int lock = -1; };
const std::map<std::string, Start> kStarts = {
    {"", {"<out unchanged>", "<res unchanged>"}}, {"nil", {"", ""}}, {"short", {"ab", "ab"}},
    {"room", {std::string(400, 'r'), std::string(400, 'r')}}, {"shared", {"shared text", "shared text", true}},
    {"locked", {"locked", "locked", false, 400}}, {"locked-short", {"ab", "ab", false, 0}}};
// clang-format on

ConvertFile2Fn g_convert2;
int(__cdecl* g_convert)();
std::string g_cases, g_work;  // UTF-8
Mode g_mode = kMain;
std::vector<LanguageTexts> g_languages;
const LanguageTexts* g_lang;
bool g_latin = false;  // the user's language with code page 1252
std::wstring g_languageFlags;
std::string g_run;  // names this run's folders

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

[[noreturn]] void Malformed(int line, const std::string& what) {
  std::printf("FAIL: tests/windows/host_cases.txt line %d: %s\n", line, what.c_str());
  std::exit(1);
}
int Number(const std::string& text, int line) {
  char* end = nullptr;
  const long n = std::strtol(text.c_str(), &end, 0);
  if (text.empty() || *end) Malformed(line, "\"" + text + "\" is not a number");
  return static_cast<int>(n);
}
// The place of a word among the allowed ones (for words of a set, its bit).
int Pick(const std::string& word, int line, std::initializer_list<const char*> words, bool bit = false) {
  for (size_t i = 0; i < words.size(); ++i)
    if (word == words.begin()[i]) return bit ? 1 << i : static_cast<int>(i);
  Malformed(line, "\"" + word + "\" is not one of the words of its field");
}
// The scenarios; the languages into g_languages, one for each of the catalogue's.
std::vector<Scenario> LoadCases() {
  std::vector<Scenario> scenarios;
  std::istringstream file(ReadAll(g_cases.substr(0, g_cases.rfind('\\')) + "\\windows\\host_cases.txt"));
  int n = 0;
  for (std::string line; std::getline(file, line);) {
    if (++n, line.find_first_not_of(" \r") == std::string::npos || line[0] == '#') continue;
    std::vector<std::string> f;  // the kind, then the fields
    std::istringstream fields(line);
    for (std::string field; std::getline(fields, field, '|');) {
      field.erase(0, field.find_first_not_of(' '));
      field.erase(field.find_last_not_of(" \r") + 1);
      if (field.size() >= 2 && field.front() == '"' && field.back() == '"') field = field.substr(1, field.size() - 2);
      f.push_back(field == "-" ? "" : field);
    }
    if (f[0] == "language" && f.size() == 7) {
      g_languages.push_back({W(f[1]), W(f[4]), W(f[5]), hvx::Language(g_languages.size()),
                             static_cast<WORD>(Number(f[2], n)), static_cast<UINT>(Number(f[3], n)), f[6]});
      continue;
    }
    if (f[0] != "scenario" || f.size() != 14 || f[2].empty() || !kStarts.count(f[10]) || f[13].empty())
      Malformed(n, "neither a language of 6 fields nor a scenario of 13 with a case, a start and a name");
    Scenario s{f[13], f[2], f[6], f[10], f[12], n};
    std::istringstream runs(f[1]), more(f[9]);
    for (std::string w; runs >> w;)
      s.modes |= Pick(w, n, {"main", "language", "no-catalogue", "apart", "installed"}, true);
    s.setup = Setup(
        Pick(f[3], n,
             {"copy", "crlf", "absent", "locked", "folder-model", "blocked-output", "deep", "cyrillic", "japanese-name",
              "model-named-qsx", "linked-output", "copy-without-catalogue", "copy-apart", "versions"}));
    s.answer = Answer(Pick(f[4], n, {"ok", "cancel", "browse"}));
    s.rc = Number(f[5], n);
    s.window = Window(Pick(f[7], n, {"none", "case", "fallback", "translated"}));
    s.qsx = Qsx(Pick(f[8], n, {"same", "none", "unchecked", "model-kept"}));
    for (std::string w; more >> w;)
      s.flags |= Pick(
          w, n, {"plain", "host-window", "inactive-host", "copy-lines", "tool", "tool-console", "empty-result"}, true);
    s.refuse = f[11].empty() ? -1 : Number(f[11], n);
    if (s.modes == 0) Malformed(n, "a scenario of no run");
    scenarios.push_back(s);
  }
  if (scenarios.empty() || g_languages.size() != hvx::kLanguageCount)
    Malformed(n, "no scenarios, or not one language record for each of the catalogue's languages");
  return scenarios;
}
// A path under the work folder, with a closing backslash, its folders made.
std::string Made(const std::string& dir) {
  for (size_t e = g_work.size(); (e = dir.find('\\', e + 1)) != std::string::npos;)
    CreateDirectoryW(Long(dir.substr(0, e)).c_str(), nullptr);
  return dir;
}
std::string Folder(const std::string& relative) { return Made(g_work + "\\" + relative + "\\"); }
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
  wchar_t buf[1024];
  DWORD n = 0;
  for (DWORD language :
       {static_cast<DWORD>(primary ? MAKELANGID(primary, SUBLANG_DEFAULT) : GetUserDefaultUILanguage()), 0ul})
    if (n == 0)
      n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, language, buf,
                         1024, nullptr);
  std::wstring s(buf, n);
  return s.erase(s.find_last_not_of(L"\r\n ") + 1);
}
std::wstring CurrentFolder() {
  wchar_t buf[32768];
  return std::wstring(buf, GetCurrentDirectoryW(32768, buf));
}

// A host string's pointer, header and characters as they are.
std::string Snapshot(const CStringA& s) {
  const StringData* d = s.Data();
  std::string bytes(reinterpret_cast<const char*>(&d), sizeof d);
  return bytes.append(reinterpret_cast<const char*>(d), sizeof *d + static_cast<size_t>(d->nAllocLength) + 1);
}

// One call of the plug-in on this thread while `drive` works its dialogs,
// with two CStringA of the host's own string manager as the scenario starts
// them. Checks the result; both strings (sound; resultPath the result typed
// when the call is done; a string not handed back keeps its text and is not
// touched at all, unless the manager refused a block); the manager's work;
// once both are released, its faults. outputPath's text when handed back.
std::string Convert(Problems& p, const Scenario& s, const std::string& result,
                    const std::function<void(Driver&)>& drive, HWND owner = nullptr) {
  const Start& start = kStarts.at(s.start);
  const bool done = s.rc == 0 && !(s.flags & kPlain), outBack = done && s.setup != kAbsent;
  TestStringMgr manager;
  StringMgrCounts inCall;
  std::string outText;
  {
    CStringA out(manager, start.out), res(manager, start.res);
    std::optional<CStringA> outOwner, resOwner;  // the second owners of shared strings
    if (start.shared) outOwner.emplace(out), resOwner.emplace(res);
    if (start.lock >= 0) out.Lock(start.lock), res.Lock(start.lock);
    const std::string outBefore = Snapshot(out), resBefore = Snapshot(res);
    manager.refuseAfter = s.refuse;
    manager.counts = {};
    const int rc = CallWhileDriving(
        p, drive, [&] { return s.flags & kPlain ? g_convert() : g_convert2(out, res); }, owner);
    manager.refuseAfter = -1;
    inCall = manager.counts;
    Check(p, rc == s.rc, "result " + std::to_string(rc) + ", expected " + std::to_string(s.rc));
    CheckString(out, manager, "outputPath", p);
    CheckString(res, manager, "resultPath", p);
    const std::string wantRes = done ? result : start.res;
    outText = out.Text();
    Check(p, outBack || outText == start.out, "outputPath \"" + outText + "\", expected \"" + start.out + "\"");
    Check(p, res.Text() == wantRes, "resultPath \"" + std::string(res.Text()) + "\", expected \"" + wantRes + "\"");
    Check(p, outBack || s.refuse >= 0 || Snapshot(out) == outBefore, "outputPath touched though not handed back");
    Check(p, done || s.refuse >= 0 || Snapshot(res) == resBefore, "resultPath touched though not handed back");
    Check(p, !(s.flags & kEmptyResult) || res.Data() == manager.Nil(), "the empty resultPath is not the nil string");
    for (const auto& [owner, text] : {std::pair{&outOwner, start.out}, std::pair{&resOwner, start.res}})
      Check(p, !*owner || ((*owner)->Text() == text && (*owner)->Data()->nRefs == 1),
            "a second owner does not hold its text of before alone");
    if (start.lock >= 0) Check(p, out.Data()->nRefs < 0 && res.Data()->nRefs < 0, "a locked string was unlocked");
  }
  char calls[80];
  std::snprintf(calls, sizeof calls, "%d,%d,%d,%d,%d", inCall.allocations, inCall.reallocations, inCall.frees,
                manager.counts.frees - inCall.frees, inCall.refused);
  Check(p, s.calls.empty() || calls == s.calls, "the host's manager: " + std::string(calls) + ", expected " + s.calls);
  for (const std::string& fault : manager.Faults()) p.push_back("the host's string manager: " + fault);
  return outText;
}
// Browsing: the file-open dialog opens in the folder of the path typed;
// choosing refreshes both fields from the stored paths; a cancelled browse
// changes nothing. The model filter comes from the catalogue, split at "|":
// its first type in the language the code page holds (English without the
// catalogue too, as a "|"-less fallback text is one entry).
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
  const std::string filter = hvx::Messages()[hvx::FindMessage("IDS_HALVEX_Model_File_Filter")]
                                 .text[g_latin ? hvx::kEnglish : g_lang->language];
  d.Check(n == 2 && U(first).rfind(filter.substr(0, filter.find('|')), 0) == 0,
          "model filter shows " + std::to_string(n) + " types, the first \"" + U(first) + "\"");
  PostMessageW(open, WM_COMMAND, IDCANCEL, 0);
  d.WaitGone(open, "file-open dialog");
  d.Check(d.Text(dlg, kModelEdit) == dir + "typed.hvt" && d.Text(dlg, kResultEdit) == "typed result",
          "a cancelled browse changed the fields");
  // Each choice shows the chosen file and the other field's stored path (none for the model yet).
  for (const auto& [field, chosen, stored] :
       {std::tuple{kResultEdit, result, std::string()}, {kModelEdit, model, result}}) {
    const int other = field == kModelEdit ? kResultEdit : kModelEdit;
    d.SetText(dlg, other, "typed again");
    d.Click(dlg, field == kModelEdit ? kModelBrowse : kResultBrowse);
    open = d.WaitDialog(nullptr, "file-open dialog");  // the file is typed into its name field
    for (int id : {cmb13, edt1})
      if (GetDlgItem(open, id)) d.SetText(open, id, chosen);
    PostMessageW(open, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(open, IDOK)));
    d.WaitGone(open, "file-open dialog");
    const std::string shown = d.Text(dlg, field, chosen);
    d.Check(shown == chosen, "field " + std::to_string(field) + " shows \"" + shown + "\" after choosing");
    d.Check(d.Text(dlg, other) == stored,
            "field " + std::to_string(other) + " not refreshed to the stored path \"" + stored + "\"");
  }
}

// Starts a command line in a folder with these standard handles (inherited)
// and waits for it; its exit status (98: ended after `ms`, 99: not started).
DWORD RunProcess(Problems& p, std::wstring cmd, const std::wstring& dir, HANDLE out, HANDLE err, DWORD ms) {
  STARTUPINFOW si{sizeof si, nullptr, nullptr, nullptr,
                  0,         0,       0,       0,
                  0,         0,       0,       STARTF_USESTDHANDLES,
                  0,         0,       nullptr, GetStdHandle(STD_INPUT_HANDLE),
                  out,       err};
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, dir.c_str(), &si, &pi))
    return Check(p, false, "could not start " + U(cmd) + " (error " + std::to_string(GetLastError()) + ")"), 99;
  DWORD code = 99;
  if (WaitForSingleObject(pi.hProcess, ms) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 98);
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  return code;
}
SECURITY_ATTRIBUTES g_inherit{sizeof g_inherit, nullptr, TRUE};
HANDLE Create(const std::string& file) {
  return CreateFileW(Long(file).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &g_inherit, CREATE_ALWAYS, 0, nullptr);
}

// Runs this program again from a folder of its own, the plug-in beside it
// without its catalogue, or in a folder apart with its catalogue beside it;
// the copy reports into a file whose lines are shown here.
void RunCopy(Problems& p, bool apart) {
  const std::wstring from = ModuleFolder(GetModuleHandleW(L"ConvertHalvex.dll"));
  const std::string name = std::string(apart ? "apart-" : "no-catalogue-") + g_run;
  const std::wstring bin = W(Folder(name)), pluginDir = apart ? W(Folder(name + "\\plugins")) : bin;
  Check(p, CopyFileW((ModuleFolder(nullptr) + L"host_test.exe").c_str(), (bin + L"host_test.exe").c_str(), FALSE),
        "could not copy the host");
  for (const wchar_t* file : {L"ConvertHalvex.dll", L"Convertmsg.dll"})
    if (apart || std::wstring(file) == L"ConvertHalvex.dll")
      Check(p, CopyFileW((from + file).c_str(), (pluginDir + file).c_str(), FALSE), "could not copy " + U(file));
  const std::wstring cmd = L"\"" + bin + L"host_test.exe\" \"" + W(g_cases) + L"\" \"" + W(g_work) + L"\" " +
                           g_languageFlags + (apart ? L" --apart" : L" --no-catalogue");
  const std::string log = g_work + "\\" + name + ".log";
  const HANDLE out = Create(log);
  const DWORD code = RunProcess(p, cmd, bin, out, out, 6 * kStepMs);
  CloseHandle(out);
  std::fputs(ReadAll(log).c_str(), stdout);
  Check(p, code == 0, "the copy's run failed or did not finish (see above)");
}

// The version resource of each file, from the CMake project's version; the
// tool's manifest declares long paths (the plug-in's asks for the common
// controls of version 6: the file input dialog's buttons show it).
void CheckVersions(Problems& p) {
  const std::wstring dir = ModuleFolder(GetModuleHandleW(L"ConvertHalvex.dll")), version = W(HALVEX_VERSION);
  unsigned major = 0, minor = 0, patch = 0;
  std::sscanf(HALVEX_VERSION, "%u.%u.%u", &major, &minor, &patch);
  std::set<std::wstring> descriptions;
  for (const auto& [file, type] : {std::pair<const wchar_t*, DWORD>{L"ConvertHalvex.dll", VFT_DLL},
                                   {L"Convertmsg.dll", VFT_DLL},
                                   {L"halvex2qsx.exe", VFT_APP}}) {
    const std::wstring path = dir + file;
    const std::string what = U(file) + ": ";
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
              fixed->dwProductVersionMS == fixed->dwFileVersionMS && fixed->dwFileType == type,
          what + "file version, product version or type");
    const auto value = [&](const wchar_t* name) {
      wchar_t* text = nullptr;
      UINT length = 0;
      VerQueryValueW(data.data(), (L"\\StringFileInfo\\040904B0\\" + std::wstring(name)).c_str(),
                     reinterpret_cast<void**>(&text), &length);
      return std::wstring(text ? text : L"");
    };
    for (const auto& [name, want] : {std::pair{L"ProductName", std::wstring(L"halvex2qsx")},
                                     {L"FileVersion", version},
                                     {L"ProductVersion", version},
                                     {L"OriginalFilename", std::wstring(file)}})
      Check(p, value(name) == want, what + U(name) + " \"" + U(value(name)) + "\", expected \"" + U(want) + "\"");
    Check(p, value(L"LegalCopyright").find(L"Copyright") == 0, what + "no LegalCopyright");
    Check(p, descriptions.insert(value(L"FileDescription")).second && !value(L"FileDescription").empty(),
          what + "FileDescription empty or another file's: \"" + U(value(L"FileDescription")) + "\"");
  }
  const HMODULE tool = LoadLibraryExW((dir + L"halvex2qsx.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  const HRSRC r = tool ? FindResourceW(tool, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24)) : nullptr;  // its manifest
  const HGLOBAL g = r ? LoadResource(tool, r) : nullptr;
  const std::string manifest = g ? std::string(static_cast<const char*>(LockResource(g)), SizeofResource(tool, r)) : "";
  Check(p, manifest.find(">true</longPathAware>") != std::string::npos,
        "the tool's manifest does not declare long paths");
  if (tool) FreeLibrary(tool);
}
// The expected message window: the case's, or the case's with its format
// error line (the second) as the fallback text or from the catalogue in the
// language the code page can show (the user's, else English); the model as
// the window names it.
std::vector<std::wstring> ExpectedWindow(const Scenario& s, const std::wstring& model, Problems& p) {
  std::vector<std::wstring> lines;
  const std::wstring text = Replace(W(ReadAll(CaseFile(s.model, "expected.stdout"))), L"@MODEL@"s, model);
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

// A visible window of the host: active, or shown without activating it (and
// the thread then has no active window).
HWND HostWindow(Problems& p, bool active) {
  WNDCLASSW wc{0,       DefWindowProcW, 0,       0,       GetModuleHandleW(nullptr),
               nullptr, nullptr,        nullptr, nullptr, L"HalvexTestHost"};
  RegisterClassW(&wc);
  HWND host = CreateWindowW(wc.lpszClassName, L"Host", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                            wc.hInstance, nullptr);
  ShowWindow(host, active ? SW_SHOW : SW_SHOWNOACTIVATE);
  if (active) SetForegroundWindow(host), SetActiveWindow(host);
  for (MSG m; PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&m);
  Check(p, active ? GetActiveWindow() == host : GetActiveWindow() == nullptr && GetForegroundWindow() != host,
        active ? "the host's window could not be made active" : "the thread has an active window");
  return host;
}

// halvex2qsx.exe MODEL, started as a user starts it (a Unicode command line),
// its output to files, or to a console that is read back.
void RunTool(Problems& p, const Scenario& s, const std::string& model, const std::string& dir, bool console) {
  const std::wstring tool = ModuleFolder(GetModuleHandleW(L"ConvertHalvex.dll")) + L"halvex2qsx.exe";
  const std::string outFile = dir + "tool.out", errFile = dir + "tool.err";
  HANDLE out, err;
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (console) {
    // A console of this program's own, cleared; the tool writes to it.
    FreeConsole();
    AllocConsole();
    out = err = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &g_inherit,
                            OPEN_EXISTING, 0, nullptr);
    if (out == INVALID_HANDLE_VALUE || !GetConsoleScreenBufferInfo(out, &info))
      return Check(p, false, "no console (error " + std::to_string(GetLastError()) + ")");
    DWORD written = 0;
    FillConsoleOutputCharacterW(out, L' ', info.dwSize.X * info.dwSize.Y, COORD{0, 0}, &written);
    SetConsoleCursorPosition(out, COORD{0, 0});
  } else {
    out = Create(outFile);
    err = Create(errFile);
  }
  const DWORD code = RunProcess(p, L"\"" + tool + L"\" \"" + W(model) + L"\"", W(dir), out, err, 4 * kStepMs);
  if (!console) CloseHandle(out), CloseHandle(err);
  Check(p, code == 0, "halvex2qsx.exe exited with " + std::to_string(code));
  const std::vector<std::wstring> window = ExpectedWindow(s, W(model), p);
  if (console) {
    // Every line shows as it is, in order (a long one wraps on to the next row).
    GetConsoleScreenBufferInfo(out, &info);
    std::wstring screen(static_cast<size_t>(info.dwSize.X) * info.dwSize.Y, L' ');
    DWORD got = 0;
    ReadConsoleOutputCharacterW(out, screen.data(), static_cast<DWORD>(screen.size()), COORD{0, 0}, &got);
    screen.resize(got);
    size_t at = 0;
    for (const std::wstring& line : window) {
      const size_t found = screen.find(line, at);
      Check(p, found != std::wstring::npos, "the console does not show \"" + U(line) + "\"");
      at = found == std::wstring::npos ? at : found + line.size();
    }
    CloseHandle(out);
    return;
  }
  // The lines in the ANSI code page (what it cannot hold as "?"), as a
  // Windows program's redirected output.
  std::string want;
  for (const std::wstring& line : window) want += WideToAnsi(line) + "\n";
  const std::string shown = Replace(ReadAll(outFile), "\r\n"s, "\n"s);
  Check(p, shown == want, "standard output \"" + shown + "\", expected \"" + want + "\"");
  // Standard error: the summary line of a model whose reading stopped, the
  // model named as given, in the code page too.
  const std::string e = Replace(ReadAll(errFile), "\r\n"s, "\n"s);
  const std::string head = WideToAnsi(L"halvex2qsx: " + W(model) + L": reading stopped at line "),
                    tail = " (see --report)\n";
  Check(p,
        e.rfind(head, 0) == 0 && e.size() > head.size() + tail.size() &&
            e.compare(e.size() - tail.size(), tail.size(), tail) == 0 && e.find('\n') == e.size() - 1,
        "standard error \"" + e + "\", not the summary line");
}

void Run(const Scenario& s, size_t index, Problems& p) {
  if (s.setup == kCopyWithoutCatalogue || s.setup == kCopyApart) return RunCopy(p, s.setup == kCopyApart);
  if (s.setup == kVersions) return CheckVersions(p);
  const size_t lineLength = 300;  // of the deep model's "Import <model>"
  const std::string base = "s" + std::to_string(index) + "-" + g_run;
  std::string dir = Folder(base);
  std::string name = s.setup == kModelNamedQsx ? "model.qsx" : "model.hvt";
  // Deep: folders of up to 40 characters until "Import <model path>" is lineLength long.
  for (size_t want = lineLength - "Import <>model.hvt"s.size(); s.setup == kDeep && dir.size() + 1 < want;) {
    size_t seg = std::min<size_t>(40, want - dir.size());  // name and backslash
    if (want - dir.size() - seg == 1) --seg;
    dir += std::string(seg - 1, 'd') + "\\";
  }
  Made(dir);
  if (s.setup == kCyrillic) dir = Folder(base + "\\Проекты\\мост");
  if (s.setup == kJapaneseName) {
    dir = Folder(base + "\\設計\\塔");
    name = "塔.hvt";
  }
  const std::string model = dir + name, qsx = dir + name.substr(0, name.size() - 4) + ".qsx";
  const std::string result = s.answer == kBrowse      ? dir + "run.hvb"
                             : s.flags & kEmptyResult ? ""
                                                      : "C:\\results\\run.hvb";
  const std::string source = CaseFile(s.model, "model.hvt");
  if (s.setup == kCrlf) WriteAll(model, Replace(ReadAll(source), "\n"s, "\r\n"s));
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
    std::vector<std::string> box{s.box};  // the parts of the box's text
    if (s.box.empty()) box.clear();
    if (s.box == kNotOverwritten) box = {"The file " + qsx + " is not written: it is the model file " + model + "."};
    if (s.box == kFileErrorBox) {
      // What the system says when the .qsx cannot be created, in the user's language.
      const HANDLE h = CreateFileW(Long(qsx).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
      const DWORD error = h == INVALID_HANDLE_VALUE ? GetLastError() : 0;
      if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
      box = {g_lang->notCreated, qsx, U(SystemText(error))};
      // Wine has the system's texts in these languages too.
      Check(p, g_lang->language == hvx::kEnglish || SystemText(error) != SystemText(error, LANG_ENGLISH),
            "the system's text of error " + std::to_string(error) + " is not in the user's language");
    }
    HWND host = s.flags & (kHostWindow | kInactiveHost) ? HostWindow(p, s.flags & kHostWindow) : nullptr;
    // The window names the model by the 8-bit text the host gets: the path,
    // or its short form when the code page cannot hold it.
    const std::wstring shownModel = FitsCodePage(W(model)) ? W(model) : ShortForm(model);
    const std::vector<std::wstring> window = ExpectedWindow(s, shownModel, p);
    const std::wstring folderBefore = CurrentFolder();
    int widest = 0;
    const std::string out = Convert(
        p, s, result,
        [&](Driver& d) {
          HWND dlg = d.WaitDialog(nullptr, "file input dialog");
          d.Check(WindowText(dlg) == g_lang->inputCaption, "file input dialog caption \"" + U(WindowText(dlg)) + "\"");
          // Controls of the common controls of version 6 know their ideal size.
          SIZE ideal{};
          d.Check(d.Send(d.Item(dlg, IDOK), BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)) != 0,
                  "the dialog's buttons are not of the common controls of version 6");
          if (host) d.CheckModalTo(dlg, "file input dialog");
          if (s.answer == kBrowse) Browse(d, dlg, dir, model, result);
          if (s.answer != kBrowse) d.SetText(dlg, kModelEdit, model), d.SetText(dlg, kResultEdit, result);
          d.Click(dlg, s.answer == kCancel ? IDCANCEL : IDOK, "file input dialog");
          if (!box.empty()) d.DismissBox(box);
          if (s.window != kNone) widest = d.ReadMessages(g_lang->windowCaption.c_str(), window, s.flags & kCopyLines);
        },
        host);
    if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);
    if (s.rc == 0 && !(s.flags & kPlain) && s.setup != kAbsent) {
      // The .qsx's path, or an 8-bit path (the short form) that opens it.
      const std::wstring opened = FinalPath(hvx::AnsiToWide(out));
      Check(p,
            FitsCodePage(W(qsx))
                ? out == qsx
                : FitsCodePage(hvx::AnsiToWide(out)) && !opened.empty() && opened == FinalPath(Long(qsx)),
            "outputPath \"" + out + "\" opens \"" + U(opened) + "\", not " + qsx);
    }
    Check(p, CurrentFolder() == folderBefore, "the current folder changed to " + U(CurrentFolder()));
    const size_t longLine = ("Import <" + model + ">").size();
    Check(p, s.setup != kDeep || (longLine == lineLength && widest > 1000),
          "the long line has " + std::to_string(longLine) + " characters, " + std::to_string(widest) + " px");
    if (host) Check(p, IsWindowEnabled(host), "the host's window is left disabled"), DestroyWindow(host);
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
  Convert(ignored, Scenario{}, "", [&](Driver& d) {
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
  const std::vector<Scenario> scenarios = LoadCases();
  g_lang = &g_languages[0];
  std::wstring pluginDir;
  for (int i = 3; i < argc; ++i) {
    const std::wstring a = argv[i];
    if (a == L"--language" && i + 1 < argc) {
      for (const LanguageTexts& l : g_languages)
        if (argv[i + 1] == l.flag) g_lang = &l;
      g_mode = kLanguage;
      g_languageFlags += L"--language " + std::wstring(argv[++i]) + L" ";
    } else if (a == L"--latin-code-page") {
      g_latin = true;
      g_languageFlags += a + L" ";
    } else if (a == L"--no-catalogue" || a == L"--apart") {
      g_mode = a == L"--apart" ? kApart : kNoCatalogue;
    } else if (a == L"--plugin-dir" && i + 1 < argc) {
      g_mode = kInstalled;
      pluginDir = argv[++i];
    }
  }
  g_run = U(g_lang->flag) + (g_latin ? "-1252" : "");
  // A host keeping its plug-ins in a folder of their own loads them by path.
  HMODULE plugin = LoadLibraryW((!pluginDir.empty() ? pluginDir + L"\\ConvertHalvex.dll"
                                 : g_mode == kApart ? ModuleFolder(nullptr) + L"plugins\\ConvertHalvex.dll"
                                                    : L"ConvertHalvex.dll")
                                    .c_str());
  if (!plugin) return std::printf("FAIL: ConvertHalvex.dll not loaded (error %lu)\n", GetLastError()), 1;
  g_convert2 = reinterpret_cast<ConvertFile2Fn>(reinterpret_cast<void*>(GetProcAddress(plugin, "ConvertFile2")));
  g_convert = reinterpret_cast<int(__cdecl*)()>(reinterpret_cast<void*>(GetProcAddress(plugin, "ConvertFile")));
  if (!g_convert2 || !g_convert) return std::printf("FAIL: ConvertFile2 or ConvertFile not exported\n"), 1;
  if (argc > 5 && std::wstring(argv[3]) == L"--show") return Show(U(argv[4]), U(argv[5]));

  const UINT codePage = g_latin ? 1252 : g_lang->codePage;
  const std::string who = std::string(g_mode == kInstalled ? "installed copy, " : "") + U(g_lang->flag) +
                          " user, code page " + std::to_string(codePage);
  if (PRIMARYLANGID(GetUserDefaultUILanguage()) != g_lang->primary || GetACP() != codePage)
    return std::printf("FAIL: Wine gives user interface language %u and code page %u, not those of the %s\n",
                       GetUserDefaultUILanguage(), GetACP(), who.c_str()),
           1;
  int passed = 0, failed = 0;
  for (size_t i = 0; i < scenarios.size(); ++i) {
    if (!(scenarios[i].modes & g_mode)) continue;
    Problems p;
    const DWORD t0 = GetTickCount();
    Run(scenarios[i], i, p);
    std::printf("%s %s, %s (%.1f s)\n", p.empty() ? "ok  " : "FAIL", scenarios[i].name.c_str(), who.c_str(),
                (GetTickCount() - t0) / 1000.0);
    for (const std::string& problem : p) std::printf("       %s\n", problem.c_str());
    if (!p.empty()) std::printf("       (host_cases.txt line %d)\n", scenarios[i].line);
    ++(p.empty() ? passed : failed);
    std::fflush(stdout);
  }
  if (g_mode == kMain || g_mode == kLanguage || g_mode == kInstalled)
    std::printf("host test scenarios, %s: %d passed, %d failed\n", who.c_str(), passed, failed);
  FreeLibrary(plugin);
  return failed == 0 ? 0 : 1;
}
