// Message lookup: one process-wide function that maps a message identifier
// (such as "IDS_HALVEX_Invalid_format_in_line_d__") to a printf-style text. The
// host points it at the message catalogue; until then, and whenever loading
// failed, it designates the built-in fallback.
//
// Conversions may run on several threads at once while the catalogue (which
// a host may ship itself) need not be thread-safe: every call of it, and every
// change of the function, happens under one lock, and callers get a copy.
#pragma once

#include <string>

namespace hvx {

using LoadStrFn = const char* (*)(const char* id);

// The fallback: ignores the identifier.
const char* FallbackLoadStr(const char* id);
inline constexpr const char* kFallbackText = "Error : DLL is not loaded. check message dll!";

// Points the lookup at fn (the fallback for nullptr). Host only.
void SetLoadStr(LoadStrFn fn);

// The text of id ("" when the catalogue gives none).
std::string LookupMessage(const char* id);

}  // namespace hvx
