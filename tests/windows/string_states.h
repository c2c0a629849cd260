// The table of host string states: ConvertFile2 called with the two CStringA
// empty, unique with room, unique and too short, shared, locked, and with the
// host's manager out of memory; what each does to the manager is counted and
// checked.
#pragma once

#include <string>

#include "tests/windows/host_cstring.h"

namespace hosttest {

// Converts `model` (a case that needs no message window) once per state,
// typing `result` as the result file; `qsx` is the path outputPath must name.
// One line per state, each counted in passed or failed.
void RunStringStates(ConvertFile2Fn convert, const std::string& model, const std::string& result,
                     const std::string& qsx, int& passed, int& failed);

}  // namespace hosttest
