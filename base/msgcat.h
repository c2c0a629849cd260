// Message lookup: one process-wide function that maps a message identifier
// (such as "IDS_HALVEX_Invalid_format_in_line_d__") to a printf-style text. The
// host points it at the message catalogue; until then, and whenever loading
// failed, it designates the built-in fallback.
#pragma once

namespace hvx {

using LoadStrFn = const char* (*)(const char* id);

// The fallback: ignores the identifier.
const char* FallbackLoadStr(const char* id);
inline constexpr const char* kFallbackText = "Error : DLL is not loaded. check message dll!";

// Current lookup function and its setter (host only).
LoadStrFn CurrentLoadStr();
void SetLoadStr(LoadStrFn fn);

inline const char* LookupMessage(const char* id) {
  const char* text = CurrentLoadStr()(id);
  return text ? text : "";
}

}  // namespace hvx
