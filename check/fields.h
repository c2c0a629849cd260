// Field readers of the reference check. A data line is comma-separated
// fields, blanks around them ignored. CFields splits a line into its fields
// as text, for any line; CPlainFields reads the fields of the long sections'
// lines (nodes, elements, loads) once from left to right, numbers as numbers,
// and gives up on any field of another shape. Both read a number the same
// way: ParseInt and CPlainFields::Int agree on every field the latter takes.
#pragma once

#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace hvx::qsxcheck {

inline bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

inline std::string_view Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

inline bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
inline bool StartsWithLetter(std::string_view f) { return !f.empty() && IsLetter(f[0]); }

// The rest of f after prefix, trimmed, when f starts with prefix.
inline bool StripPrefix(std::string_view& f, std::string_view prefix) {
  if (f.substr(0, prefix.size()) != prefix) return false;
  f = Trim(f.substr(prefix.size()));
  return true;
}

// The field that starts at p, trimmed; end is set to the comma after it, or
// to e when it is the line's last.
inline std::string_view FieldAt(const char* p, const char* e, const char*& end) {
  while (p < e && IsBlank(*p)) ++p;
  const char* const b = p;
  while (p < e && *p != ',') ++p;
  end = p;
  while (p > b && IsBlank(p[-1])) --p;
  return std::string_view(b, static_cast<size_t>(p - b));
}

// ---- digits ----

// Digits at the start of eight bytes read as a little-endian word.
inline int LeadingDigits(uint64_t w) {
  const uint64_t t = w - 0x3030303030303030;
  // High bit of each byte that is not a digit; a borrow or carry reaches
  // only the bytes after such a byte.
  const uint64_t other = (t | (t + 0x7676767676767676)) & 0x8080808080808080;
  return other ? std::countr_zero(other) / 8 : 8;
}

// The value of the first n (1 to 8) bytes of w, all digits.
inline uint32_t DigitsValue(uint64_t w, int n) {
  uint64_t d = (w - 0x3030303030303030) << (8 * (8 - n));  // as the last n of eight digits
  d = (d * 10) + (d >> 8);  // pairs of digits in the low byte of each 16-bit lane
  d = (((d & 0x000000FF000000FF) * 0x000F424000000064) + (((d >> 16) & 0x000000FF000000FF) * 0x0000271000000001)) >>
      32;
  return static_cast<uint32_t>(d);
}

inline constexpr uint64_t kPowersOf10[9] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};

// Reads the digits from p on, at most up to stop, moves p past them and
// returns their value (which wraps past 19 digits: callers refuse more than
// 18). Eight bytes are read at a time while eight remain before stop.
[[gnu::always_inline]] inline uint64_t ReadDigits(const char*& p, const char* stop) {
  uint64_t x = 0;
  if constexpr (std::endian::native == std::endian::little) {
    while (stop - p >= 8) {
      uint64_t w;
      std::memcpy(&w, p, 8);
      const int n = LeadingDigits(w);
      if (n == 0) return x;
      x = x * kPowersOf10[n] + DigitsValue(w, n);
      p += n;
      if (n < 8) return x;
    }
  }
  for (unsigned d; p < stop && (d = static_cast<unsigned char>(*p) - unsigned{'0'}) <= 9; ++p) x = x * 10 + d;
  return x;
}

// A whole field as a decimal integer (the field is already trimmed). Fields
// of up to 18 digits, the usual case, are read by ReadDigits; longer ones by
// from_chars, which reports overflow.
inline bool ParseInt(std::string_view f, long long& v) {
  const size_t n = f.size();
  if (n == 0) return false;
  const bool neg = f[0] == '-';
  const size_t i = neg ? 1 : 0;
  if (i == n) return false;
  const char* const end = f.data() + n;
  if (n - i > 18) {
    const auto r = std::from_chars(f.data(), end, v);
    return r.ec == std::errc() && r.ptr == end;
  }
  const char* p = f.data() + i;
  const uint64_t x = ReadDigits(p, end);
  if (p != end) return false;
  v = neg ? -static_cast<long long>(x) : static_cast<long long>(x);
  return true;
}

// ---- fields ----

// Comma-separated fields of one line, trimmed. The first kKept fields are
// kept once split and may be asked for in any order; later ones are split on
// demand, so beyond kKept the field asked for must not go back.
class CFields {
 public:
  static constexpr int kKept = 16;

  explicit CFields(std::string_view line) : m_line(line), m_rest(line) {}
  // Field n (1-based); empty when the line has fewer.
  std::string_view At(int n) {
    if (!Reach(n)) return {};
    if (n <= kKept) return m_line.substr(m_begin[n - 1], m_size[n - 1]);
    return n == m_count ? m_last : std::string_view{};
  }
  // True when the line has at least n fields.
  bool Has(int n) { return Reach(n); }

 private:
  bool Reach(int n) {
    while (m_count < n) {
      if (m_done) return false;
      m_last = Next();
      if (m_count < kKept) {
        // Kept as places in the line, which need no clearing per line.
        m_begin[m_count] = static_cast<uint32_t>(m_last.data() - m_line.data());
        m_size[m_count] = static_cast<uint32_t>(m_last.size());
      }
      ++m_count;
    }
    return true;
  }
  std::string_view Next() {
    const char* const e = m_rest.data() + m_rest.size();
    const char* p;
    const std::string_view f = FieldAt(m_rest.data(), e, p);
    if (p == e) m_done = true;
    else ++p;
    m_rest = std::string_view(p, static_cast<size_t>(e - p));
    return f;
  }

  std::string_view m_line;  // at most CQsxChecker::kMaxKeptLine bytes
  std::string_view m_rest;
  bool m_done = false;
  int m_count = 0;  // fields split so far
  std::string_view m_last;
  uint32_t m_begin[kKept];
  uint32_t m_size[kKept];
};

// The fields of a line read once from left to right, for the lines of the
// long sections (nodes, elements, loads). It takes only the plain shape of a
// field, blanks around at most 18 digits with an optional minus sign; on
// anything else it answers false and the line is read again by CFields,
// before any field of it has been used, so both ways find the same.
class CPlainFields {
 public:
  explicit CPlainFields(std::string_view line) : m_p(line.data()), m_end(line.data() + line.size()) {}
  // The next field as a number, as ParseInt reads it; false when it has
  // another shape or the line has no more fields.
  [[gnu::always_inline]] bool Int(long long& v) {
    const char* p = m_p;
    const char* const e = m_end;
    if (!p) return false;
    if constexpr (std::endian::native == std::endian::little) {
      // The usual field of the long sections, a few spaces, up to seven
      // digits and a comma, read as two words; anything else is read below.
      if (e - p >= 8) {
        uint64_t w;
        std::memcpy(&w, p, 8);
        const uint64_t blank = w ^ 0x2020202020202020;
        const char* q = p + (blank ? std::countr_zero(blank) / 8 : 8);
        if (e - q >= 8) {
          std::memcpy(&w, q, 8);
          const int n = LeadingDigits(w);
          if (n > 0 && n < 8 && q[n] == ',') {
            v = static_cast<long long>(DigitsValue(w, n));
            m_p = q + n + 1;
            return true;
          }
        }
      }
    }
    p = SkipBlanks(p, e);
    const bool neg = p < e && *p == '-';
    if (neg) ++p;
    const char* const digits = p;
    // A 19th digit is read only to refuse the field.
    const uint64_t x = ReadDigits(p, e - digits > 19 ? digits + 19 : e);
    if (p == digits || p - digits > 18) return false;
    if (p < e && *p != ',') p = SkipBlanks(p, e);
    if (!Next(p)) return false;
    v = neg ? -static_cast<long long>(x) : static_cast<long long>(x);
    return true;
  }
  // The next field when it is the eight bytes of w (a blank, a word, blanks
  // and the comma, as the writer lines them up); false (nothing read) else.
  bool Word(uint64_t w) {
    if (!m_p || m_end - m_p < 8) return false;
    uint64_t v;
    std::memcpy(&v, m_p, 8);
    if (v != w) return false;
    m_p += 8;
    return true;
  }
  // The next field as text, trimmed; false when the line has no more fields.
  bool Text(std::string_view& t) {
    if (!m_p) return false;
    const char* p;
    t = FieldAt(m_p, m_end, p);
    return Next(p);
  }

 private:
  // The first byte from p on that is not blank: spaces first, the usual
  // blank of fields written to a width.
  static const char* SkipBlanks(const char* p, const char* e) {
    while (p < e && *p == ' ') ++p;
    while (p < e && IsBlank(*p)) ++p;
    return p;
  }
  // Moves past the comma at p, or to no field at the line's end; false for
  // anything else at p.
  bool Next(const char* p) {
    if (p == m_end) {
      m_p = nullptr;
      return true;
    }
    if (*p != ',') return false;
    m_p = p + 1;
    return true;
  }

  const char* m_p;  // start of the next field; null past the last one
  const char* m_end;
};

// The leading fields of a line as the lines of the long sections are read:
// field 1 a number; when field 2 names an element type, field 3 (material),
// field 4 (property, or any text for a type without one, kept as 0) and the
// type's node fields as numbers, into v[0], v[1], v[2], v[3...]. Returns the
// leading fields read (field 2 counts when it is a type); type is the row of
// kElementTypes, or -1.
inline constexpr int kMaxLeadingFields = 12;
int ReadLeadingFields(std::string_view line, long long* v, int& type);

}  // namespace hvx::qsxcheck
