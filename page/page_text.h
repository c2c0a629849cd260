// Text helpers of the model page: UTF-8 repair, HTML escaping, base64 and the
// page's number texts.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace hvx {

// `text` with every ill-formed UTF-8 sequence (each maximal invalid subpart)
// and every C0 control but tab, line feed and carriage return replaced by
// U+FFFD.
std::string ValidUtf8(std::string_view text);
// ValidUtf8(text) with & < > " ' as character references, for HTML text and
// attribute values.
std::string HtmlText(std::string_view text);
// Standard base64 with padding.
void AppendBase64(std::string& out, const void* data, size_t size);
// The same into `out`, which has room for (size + 2) / 3 * 4 characters.
void EncodeBase64(char* out, const unsigned char* data, size_t size);
// "1.23 s": seconds to three significant digits; a dash when not finite or negative.
std::string SecondsText(double seconds);

}  // namespace hvx
