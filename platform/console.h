// The tool's edges to its command line, its standard streams and Ctrl+C.
// Texts inside are UTF-8 on every platform. On Windows the command line is
// read as Unicode, so any path Windows can open reaches the conversion; a
// stream that is a console is written with the wide console functions, so any
// path shows as it is; a redirected one gets the ANSI code page, as Windows
// programs' output usually is. Elsewhere arguments and output are the bytes
// as they are. (platform/console_win.cpp, platform/console_posix.cpp)
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace hvx {

// The program's arguments in UTF-8, the program's name first.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// Writes UTF-8 text to a standard stream (stdout or stderr).
void WriteText(std::FILE* f, std::string_view text);

// Ctrl+C (SIGINT; on Windows also Ctrl+Break) from here on only sets a flag
// that Interrupted() reads, so running conversions can be cancelled and their
// threads joined; a second one ends the process at once, as without this.
void CatchInterrupt();
bool Interrupted();
// Ends the process as an interrupt that was not caught would have ended it.
[[noreturn]] void ExitInterrupted();

}  // namespace hvx
