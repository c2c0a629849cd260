#include "platform/win32.h"
// (windows.h first, through platform/win32.h.)

#include <io.h>
#include <shellapi.h>

#include <atomic>

#include "platform/console.h"
#include "platform/wintext.h"

namespace hvx {

namespace {
std::atomic<bool> g_interrupted{false};

// Runs on a thread of its own that the system starts. The first Ctrl+C or
// Ctrl+Break is taken; the next goes on to the default handler, which ends
// the process.
BOOL WINAPI OnConsoleControl(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  return g_interrupted.exchange(true) ? FALSE : TRUE;
}
}  // namespace

void CatchInterrupt() { ::SetConsoleCtrlHandler(OnConsoleControl, TRUE); }

bool Interrupted() { return g_interrupted.load(); }

void ExitInterrupted() {
  std::fflush(stdout);
  std::fflush(stderr);
  // The status the default handler ends the process with.
  ::ExitProcess(STATUS_CONTROL_C_EXIT);
}

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  std::vector<std::string> args;
  // The C runtime split the same line; should the two ever disagree, its
  // ANSI arguments are taken.
  if (wide && count == argc) {
    for (int i = 0; i < count; ++i) args.push_back(WideToUtf8(wide[i]));
  } else {
    for (int i = 0; i < argc; ++i) args.push_back(AnsiToUtf8(argv[i]));
  }
  if (wide) ::LocalFree(wide);
  return args;
}

void WriteText(std::FILE* f, std::string_view text) {
  const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(f)));
  DWORD mode = 0;
  if (handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode)) {
    // What the stream holds goes first; the console takes CR LF line ends.
    std::fflush(f);
    std::wstring wide;
    for (const wchar_t c : Utf8ToWide(std::string(text))) {
      if (c == L'\n') wide += L'\r';
      wide += c;
    }
    for (size_t done = 0; done < wide.size();) {
      DWORD wrote = 0;
      const DWORD piece = static_cast<DWORD>(std::min<size_t>(wide.size() - done, 16384));
      if (!::WriteConsoleW(handle, wide.data() + done, piece, &wrote, nullptr) || wrote == 0) break;
      done += wrote;
    }
    return;
  }
  const std::string ansi = Utf8ToAnsi(std::string(text));
  std::fwrite(ansi.data(), 1, ansi.size(), f);
}

}  // namespace hvx
