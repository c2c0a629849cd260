#include "base/format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <locale.h>

#include "base/c_locale.h"

namespace hvx {
namespace {

#if !defined(_WIN32)
locale_t CLocale() {
  static locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return loc;
}
#endif

// snprintf of one conversion in the C locale, for the rarely used forms.
template <class T>
void SlowFormat(std::string& out, const char* directive, T value) {
#if defined(_WIN32)
  const CThreadCLocale cLocale;
#else
  const locale_t old = uselocale(CLocale());
#endif
  char small[512];
  const int n = std::snprintf(small, sizeof small, directive, value);
  if (n >= 0 && static_cast<size_t>(n) < sizeof small) {
    out.append(small, static_cast<size_t>(n));
  } else if (n > 0) {
    std::string big(static_cast<size_t>(n) + 1, '\0');
    std::snprintf(big.data(), big.size(), directive, value);
    out.append(big.data(), static_cast<size_t>(n));
  }
#if !defined(_WIN32)
  uselocale(old);
#endif
}

// memcpy for the few bytes of a field, without a library call.
inline void SmallCopy(char* d, const char* s, size_t n) {
  if (n >= 8) {
    if (n > 16) {
      std::memcpy(d, s, n);
      return;
    }
    uint64_t a, b;
    std::memcpy(&a, s, 8);
    std::memcpy(&b, s + n - 8, 8);
    std::memcpy(d, &a, 8);
    std::memcpy(d + n - 8, &b, 8);
  } else if (n >= 4) {
    uint32_t a, b;
    std::memcpy(&a, s, 4);
    std::memcpy(&b, s + n - 4, 4);
    std::memcpy(d, &a, 4);
    std::memcpy(d + n - 4, &b, 4);
  } else if (n > 0) {
    d[0] = s[0];
    d[n / 2] = s[n / 2];
    d[n - 1] = s[n - 1];
  }
}

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// "%g" of v (six significant digits) into out (at least 32 bytes) for the
// values a model holds: zero, and magnitudes from 1e-4 to 1e15 whose sixth
// digit rounds the same whichever way the scaling multiplication rounded.
// Returns the length, or 0 when to_chars must decide.
size_t FastG6(double v, char* out) {
  char* p = out;
  if (v == 0.0) {
    if (std::signbit(v)) *p++ = '-';
    *p++ = '0';
    return static_cast<size_t>(p - out);
  }
  const double a = std::fabs(v);
  if (!(a >= 1e-4 && a < 1e15)) return 0;  // NaN too
  static constexpr double kPow[] = {1e-4, 1e-3, 1e-2, 1e-1, 1e0,  1e1,  1e2,  1e3,  1e4, 1e5,
                                    1e6,  1e7,  1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  // Decimal exponent x, kPow[x + 4] <= a < kPow[x + 5]: from the binary
  // exponent e, floor(e * log10(2)) is x or x - 1.
  uint64_t bits;
  std::memcpy(&bits, &a, sizeof bits);
  const int e = static_cast<int>((bits >> 52) & 0x7FF) - 1023;
  int x = (e * 78913) >> 18;  // floor(e * log10(2)) for |e| < 2^11
  if (a >= kPow[x + 5]) ++x;
  static constexpr double kScale[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
  const int s = 5 - x;  // a * 10^s has six digits before the point
  const double y = s >= 0 ? a * kScale[s] : a / kScale[-s];
  if (!(y >= 1e5 && y < 1e6)) return 0;
  const double whole = std::floor(y);
  const double frac = y - whole;
  // y is within 2^-33 of the exact a * 10^s: only a fraction this close to
  // one half could round the other way.
  if (std::fabs(frac - 0.5) < 1e-9) return 0;
  uint32_t r = static_cast<uint32_t>(whole) + (frac > 0.5 ? 1u : 0u);
  if (r == 1000000) {
    r = 100000;
    ++x;
  }
  // Six digits, two at a time, then room for the fixed-size copies below.
  char d[16] = {};
  std::memcpy(d, kDigitPairs + 2 * (r / 10000), 2);
  std::memcpy(d + 2, kDigitPairs + 2 * (r / 100 % 100), 2);
  std::memcpy(d + 4, kDigitPairs + 2 * (r % 100), 2);
  int last = 5;  // last significant digit
  while (last > 0 && d[last] == '0') --last;
  // Digits are placed with eight-byte copies and the pointer advanced by the
  // count (a loop of byte stores becomes a slow string move).
  if (v < 0) *p++ = '-';
  if (x >= 6) {  // exponent form: d.ddddde+XX
    *p++ = d[0];
    if (last > 0) {
      *p++ = '.';
      std::memcpy(p, d + 1, 8);
      p += last;
    }
    *p++ = 'e';
    *p++ = '+';
    *p++ = static_cast<char>('0' + x / 10);
    *p++ = static_cast<char>('0' + x % 10);
  } else if (x >= 0) {  // x + 1 digits before the point
    std::memcpy(p, d, 8);
    p += x + 1;
    if (last > x) {
      *p++ = '.';
      std::memcpy(p, d + x + 1, 8);
      p += last - x;
    }
  } else {  // 0.000ddd
    static constexpr char kLead[8] = {'0', '.', '0', '0', '0'};
    std::memcpy(p, kLead, 8);
    p += 1 - x;
    std::memcpy(p, d, 8);
    p += last + 1;
  }
  return static_cast<size_t>(p - out);
}

// The decimal digits of u written backwards, two at a time, ending before end.
template <class U>
inline char* Digits(char* end, U u) {
  while (u >= 100) {
    const unsigned r = static_cast<unsigned>(u % 100);
    u /= 100;
    end -= 2;
    std::memcpy(end, kDigitPairs + 2 * r, 2);
  }
  if (u >= 10) {
    end -= 2;
    std::memcpy(end, kDigitPairs + 2 * u, 2);
  } else {
    *--end = static_cast<char>('0' + u);
  }
  return end;
}

// Number of decimal digits of u.
inline size_t DigitCount(unsigned long long u) {
  size_t n = 1;
  for (; u >= 10000; u /= 10000) n += 4;
  return n + (u >= 10) + (u >= 100) + (u >= 1000);
}

// Formatted text gathered on the stack and handed to the string in large
// pieces: one append per call instead of one per field.
class COutBuf {
 public:
  explicit COutBuf(std::string& out) : m_out(out) {}
  ~COutBuf() { Flush(); }
  COutBuf(const COutBuf&) = delete;
  COutBuf& operator=(const COutBuf&) = delete;

  void Put(const char* s, size_t n) {
    if (n > kSize - m_n) {
      Flush();
      if (n > kSize) {
        m_out.append(s, n);
        return;
      }
    }
    SmallCopy(m_buf + m_n, s, n);
    m_n += n;
  }
  // An integer right-aligned in width (blanks first), its digits written
  // straight into place (digits stored to a scratch buffer and read back in
  // wider pieces stall the processor's store forwarding).
  void Int(long long v, int width) {
    const unsigned long long u = v < 0 ? 0ull - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
    const size_t len = DigitCount(u) + (v < 0 ? 1 : 0);
    const size_t pad = width > 0 && static_cast<size_t>(width) > len ? static_cast<size_t>(width) - len : 0;
    if (pad > 32) Blanks(pad);
    if (kSize - m_n < 32 + len) Flush();
    if (pad <= 32) {
      std::memcpy(m_buf + m_n, kBlanks, 32);
      m_n += pad;
    }
    char* const end = m_buf + m_n + len;
    char* p = u <= UINT32_MAX ? Digits(end, static_cast<uint32_t>(u)) : Digits(end, u);
    if (v < 0) *--p = '-';
    m_n += len;
  }
  void Blanks(size_t n) {
    if (n <= 32 && kSize - m_n >= 32) {  // the usual padding of a field
      std::memcpy(m_buf + m_n, kBlanks, 32);
      m_n += n;
      return;
    }
    while (n > 0) {
      if (m_n == kSize) Flush();
      const size_t k = std::min(n, kSize - m_n);
      std::memset(m_buf + m_n, ' ', k);
      m_n += k;
      n -= k;
    }
  }
  // Text padded with blanks to width, on the left unless left-aligned.
  void Padded(const char* s, size_t n, int width, bool left) {
    const size_t pad = width > 0 && static_cast<size_t>(width) > n ? static_cast<size_t>(width) - n : 0;
    if (!left) Blanks(pad);
    Put(s, n);
    if (left) Blanks(pad);
  }
  // "%g" of v written in place when FastG6 handles it; false otherwise.
  bool FastG(double v) {
    if (kSize - m_n < 32) Flush();
    const size_t n = FastG6(v, m_buf + m_n);
    m_n += n;
    return n != 0;
  }
  // The string itself, with everything gathered so far appended.
  std::string& Flushed() {
    Flush();
    return m_out;
  }

 private:
  void Flush() {
    m_out.append(m_buf, m_n);
    m_n = 0;
  }
  static constexpr size_t kSize = 512;
  static constexpr char kBlanks[] = "                                ";  // 32
  std::string& m_out;
  size_t m_n = 0;
  char m_buf[kSize];
};

long long AsInt(const FmtArg* a) {
  if (!a) return 0;
  if (a->kind == FmtArg::kInt) return a->i;
  if (a->kind == FmtArg::kDouble) {
    const double d = a->d;
    if (!(d > -9.2e18 && d < 9.2e18)) return 0;
    return static_cast<long long>(d);
  }
  return 0;
}

double AsDouble(const FmtArg* a) {
  if (!a) return 0.0;
  if (a->kind == FmtArg::kDouble) return a->d;
  if (a->kind == FmtArg::kInt) return static_cast<double>(a->i);
  return 0.0;
}

}  // namespace

void AppendD(std::string& out, long long v) {
  char buf[24];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  out.append(buf, static_cast<size_t>(r.ptr - buf));
}

void AppendG(std::string& out, double v) {
  char buf[64];
  if (const size_t n = FastG6(v, buf)) {
    out.append(buf, n);
    return;
  }
  const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 6);
  out.append(buf, static_cast<size_t>(r.ptr - buf));
}

void FormatArgs(std::string& out, const char* fmt, const FmtArg* args, size_t count) {
  if (!fmt) return;
  COutBuf o(out);
  size_t next = 0;
  auto take = [&]() -> const FmtArg* { return next < count ? &args[next++] : (++next, nullptr); };
  const char* p = fmt;
  while (*p) {
    const char* pct = p;
    while (*pct && *pct != '%') ++pct;
    o.Put(p, static_cast<size_t>(pct - p));
    if (!*pct) return;
    const char* q = pct + 1;
    if (*q == '%') {
      o.Put("%", 1);
      p = q + 1;
      continue;
    }
    // The conversions of nearly every output line, "%d", "%<width>d" (width
    // 1 to 99, no flags) and "%g", take a short way with the same result.
    {
      int w = -1;
      const char* c = q;
      if (*c >= '1' && *c <= '9') {
        w = *c++ - '0';
        if (*c >= '0' && *c <= '9') w = w * 10 + (*c++ - '0');
      }
      if (*c == 'd') {
        o.Int(AsInt(take()), w);
        p = c + 1;
        continue;
      }
      if (*c == 'g' && w < 0 && o.FastG(AsDouble(take()))) {
        p = c + 1;
        continue;
      }
      if (*c == 'g' && w < 0) --next;  // not handled: the general way takes the argument again
    }
    // flags
    bool left = false, other = false;
    while (*q == '-' || *q == '+' || *q == ' ' || *q == '#' || *q == '0' || *q == '\'') {
      if (*q == '-')
        left = true;
      else
        other = true;
      ++q;
    }
    int width = -1;
    bool starWidth = false;
    if (*q == '*') {
      starWidth = true;
      ++q;
    } else if (*q >= '0' && *q <= '9') {
      width = 0;
      while (*q >= '0' && *q <= '9') width = width < 100000 ? width * 10 + (*q++ - '0') : (q++, width);
    }
    int prec = -1;
    bool starPrec = false;
    if (*q == '.') {
      ++q;
      prec = 0;
      if (*q == '*') {
        starPrec = true;
        ++q;
      } else {
        while (*q >= '0' && *q <= '9') prec = prec < 100000 ? prec * 10 + (*q++ - '0') : (q++, prec);
      }
    }
    while (*q == 'h' || *q == 'l' || *q == 'L' || *q == 'z' || *q == 'j' || *q == 't' || *q == 'q') ++q;
    const char conv = *q;
    if (conv == '\0') {  // incomplete conversion at the end: written as it stands
      o.Put(pct, std::strlen(pct));
      return;
    }
    p = q + 1;
    if (starWidth) {
      width = static_cast<int>(AsInt(take()));
      if (width < 0) {
        left = true;
        width = -width;
      }
      other = true;
    }
    if (starPrec) {
      prec = static_cast<int>(AsInt(take()));
      other = true;
    }
    // Clamp absurd widths and precisions from untrusted formats.
    if (width > 4096) width = 4096;
    if (prec > 4096) prec = 4096;
    // The directive rebuilt without '*' and length modifiers, for snprintf.
    auto rebuild = [&](const char* lengthMod) {
      std::string directive(1, '%');
      for (const char* f = pct + 1; *f == '-' || *f == '+' || *f == ' ' || *f == '#' || *f == '0'; ++f)
        directive.push_back(*f);
      if (left && directive.find('-') == std::string::npos) directive.push_back('-');
      if (width >= 0) directive.append(std::to_string(width));
      if (prec >= 0) {
        directive.push_back('.');
        directive.append(std::to_string(prec));
      }
      directive.append(lengthMod);
      directive.push_back(conv);
      return directive;
    };
    switch (conv) {
      case 'd':
      case 'i': {
        const long long v = AsInt(take());
        if (!other && prec < 0) {
          if (left) {
            char buf[24];
            const auto r = std::to_chars(buf, buf + sizeof buf, v);
            o.Padded(buf, static_cast<size_t>(r.ptr - buf), width, true);
          } else {
            o.Int(v, width);
          }
        } else {
          SlowFormat(o.Flushed(), rebuild("ll").c_str(), v);
        }
        break;
      }
      case 'u':
      case 'x':
      case 'X':
      case 'o': {
        const long long v = AsInt(take());
        SlowFormat(o.Flushed(), rebuild("ll").c_str(), static_cast<unsigned long long>(v));
        break;
      }
      case 'c': {
        const char c = static_cast<char>(AsInt(take()));
        o.Padded(&c, 1, width, left);
        break;
      }
      case 's': {
        const FmtArg* a = take();
        const char* str = "";
        size_t n = 0;
        if (a && a->kind == FmtArg::kStr) {
          str = a->s;
          n = a->n;
          // A string stops at its first NUL, as a C string does.
          if (const void* z = std::memchr(str, '\0', n)) n = static_cast<size_t>(static_cast<const char*>(z) - str);
          if (prec >= 0 && static_cast<size_t>(prec) < n) n = static_cast<size_t>(prec);
        }
        o.Padded(str, n, width, left);
        break;
      }
      case 'g':
      case 'e':
      case 'f': {
        const double v = AsDouble(take());
        if (!other && conv == 'g' && prec < 0) {
          if (width <= 0) {  // written in place, as in most lines
            if (o.FastG(v)) break;
          } else {
            char buf[32];
            if (const size_t n = FastG6(v, buf)) {
              o.Padded(buf, n, width, left);
              break;
            }
          }
        }
        if (!other) {
          char buf[512];
          const std::chars_format cf = conv == 'g'   ? std::chars_format::general
                                       : conv == 'e' ? std::chars_format::scientific
                                                     : std::chars_format::fixed;
          const int pr = prec < 0 ? 6 : prec;
          const auto r = std::to_chars(buf, buf + sizeof buf, v, cf, pr);
          if (r.ec == std::errc()) {
            o.Padded(buf, static_cast<size_t>(r.ptr - buf), width, left);
            break;
          }
        }
        SlowFormat(o.Flushed(), rebuild("").c_str(), v);
        break;
      }
      case 'G':
      case 'E':
      case 'F':
      case 'a':
      case 'A':
        SlowFormat(o.Flushed(), rebuild("").c_str(), AsDouble(take()));
        break;
      case 'n':
      case 'p':
        take();  // never written through
        break;
      default:  // not a conversion: written as it stands
        o.Put(pct, static_cast<size_t>(p - pct));
        break;
    }
  }
}

}  // namespace hvx
