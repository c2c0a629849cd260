// Text helpers of the model page (page_text.h).
#include "page/page_text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace hvx {

std::string ValidUtf8(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  static constexpr char kReplacement[] = "\xEF\xBF\xBD";
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  const size_t n = s.size();
  size_t i = 0;
  while (i < n) {
    const unsigned char c = p[i];
    if (c < 0x80) {
      if (c < 0x20 && c != '\t' && c != '\n' && c != '\r')
        out += kReplacement;
      else
        out += static_cast<char>(c);
      ++i;
      continue;
    }
    // Length and range of the second byte (Unicode's table of well-formed sequences).
    size_t len = 0;
    unsigned char lo = 0x80, hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
      len = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
      len = 3;
      if (c == 0xE0) lo = 0xA0;
      if (c == 0xED) hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      len = 4;
      if (c == 0xF0) lo = 0x90;
      if (c == 0xF4) hi = 0x8F;
    }
    if (len == 0) {
      out += kReplacement;
      ++i;
      continue;
    }
    size_t j = i + 1;
    if (j < n && p[j] >= lo && p[j] <= hi) {
      ++j;
      while (j < i + len && j < n && p[j] >= 0x80 && p[j] <= 0xBF) ++j;
    }
    if (j == i + len) {
      out.append(s.substr(i, len));
    } else {
      out += kReplacement;  // the maximal subpart i..j-1 is one replacement
    }
    i = j;
  }
  return out;
}

std::string HtmlText(std::string_view text) {
  const std::string valid = ValidUtf8(text);
  std::string out;
  out.reserve(valid.size() + 16);
  for (char c : valid) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Two base64 characters per 12 bits, so that three bytes take two look-ups.
constexpr std::array<std::array<char, 2>, 4096> kPairs = [] {
  std::array<std::array<char, 2>, 4096> t{};
  for (int i = 0; i < 4096; ++i) t[static_cast<size_t>(i)] = {kAlphabet[i >> 6], kAlphabet[i & 63]};
  return t;
}();

}  // namespace

void EncodeBase64(char* o, const unsigned char* p, size_t size) {
  size_t i = 0;
  for (; i + 3 <= size; i += 3) {
    const uint32_t v = (uint32_t{p[i]} << 16) | (uint32_t{p[i + 1]} << 8) | p[i + 2];
    std::memcpy(o, kPairs[v >> 12].data(), 2);
    std::memcpy(o + 2, kPairs[v & 4095].data(), 2);
    o += 4;
  }
  if (i < size) {
    const bool two = i + 1 < size;
    const uint32_t v = (uint32_t{p[i]} << 16) | (two ? uint32_t{p[i + 1]} << 8 : 0);
    *o++ = kAlphabet[v >> 18];
    *o++ = kAlphabet[(v >> 12) & 63];
    *o++ = two ? kAlphabet[(v >> 6) & 63] : '=';
    *o++ = '=';
  }
}

void AppendBase64(std::string& out, const void* data, size_t size) {
  const size_t start = out.size();
  out.resize(start + (size + 2) / 3 * 4);
  EncodeBase64(out.data() + start, static_cast<const unsigned char*>(data), size);
}

std::string SecondsText(double s) {
  if (!std::isfinite(s) || s < 0) return "\xE2\x80\x94";
  char b[32];
  const auto r = std::to_chars(b, b + sizeof b, s, std::chars_format::general, 3);
  return std::string(b, r.ptr) + " s";
}

}  // namespace hvx
