#include "writer/format.h"

#include <charconv>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <locale.h>

namespace hvx {
namespace {

locale_t CLocale() {
  static locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return loc;
}

// snprintf of one conversion in the C locale, for the rarely used forms.
template <class T>
void SlowFormat(std::string& out, const char* spec, T value) {
  const locale_t old = uselocale(CLocale());
  char small[512];
  const int n = std::snprintf(small, sizeof small, spec, value);
  if (n >= 0 && static_cast<size_t>(n) < sizeof small) {
    out.append(small, static_cast<size_t>(n));
  } else if (n > 0) {
    std::string big(static_cast<size_t>(n) + 1, '\0');
    std::snprintf(big.data(), big.size(), spec, value);
    out.append(big.data(), static_cast<size_t>(n));
  }
  uselocale(old);
}

void Pad(std::string& out, size_t from, int width, bool left) {
  const size_t len = out.size() - from;
  if (width <= 0 || len >= static_cast<size_t>(width)) return;
  const size_t pad = static_cast<size_t>(width) - len;
  if (left)
    out.append(pad, ' ');
  else
    out.insert(from, pad, ' ');
}

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
  const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 6);
  out.append(buf, static_cast<size_t>(r.ptr - buf));
}

void FormatArgs(std::string& out, const char* fmt, const FmtArg* args, size_t count) {
  if (!fmt) return;
  size_t next = 0;
  auto take = [&]() -> const FmtArg* { return next < count ? &args[next++] : (++next, nullptr); };
  const char* p = fmt;
  while (*p) {
    const char* pct = std::strchr(p, '%');
    if (!pct) {
      out.append(p);
      return;
    }
    out.append(p, static_cast<size_t>(pct - p));
    const char* q = pct + 1;
    if (*q == '%') {
      out.push_back('%');
      p = q + 1;
      continue;
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
      out.append(pct);
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
    // The spec rebuilt without '*' and length modifiers, for snprintf.
    auto rebuild = [&](const char* lengthMod) {
      std::string spec(1, '%');
      for (const char* f = pct + 1; *f == '-' || *f == '+' || *f == ' ' || *f == '#' || *f == '0'; ++f)
        spec.push_back(*f);
      if (left && spec.find('-') == std::string::npos) spec.push_back('-');
      if (width >= 0) spec.append(std::to_string(width));
      if (prec >= 0) {
        spec.push_back('.');
        spec.append(std::to_string(prec));
      }
      spec.append(lengthMod);
      spec.push_back(conv);
      return spec;
    };
    switch (conv) {
      case 'd':
      case 'i': {
        const long long v = AsInt(take());
        if (!other && prec < 0) {
          const size_t from = out.size();
          AppendD(out, v);
          Pad(out, from, width, left);
        } else {
          SlowFormat(out, rebuild("ll").c_str(), v);
        }
        break;
      }
      case 'u':
      case 'x':
      case 'X':
      case 'o': {
        const long long v = AsInt(take());
        SlowFormat(out, rebuild("ll").c_str(), static_cast<unsigned long long>(v));
        break;
      }
      case 'c': {
        const long long v = AsInt(take());
        const size_t from = out.size();
        out.push_back(static_cast<char>(v));
        Pad(out, from, width, left);
        break;
      }
      case 's': {
        const FmtArg* a = take();
        const size_t from = out.size();
        if (a && a->kind == FmtArg::kStr) {
          size_t n = a->n;
          // A string stops at its first NUL, as a C string does.
          if (const void* z = std::memchr(a->s, '\0', n)) n = static_cast<size_t>(static_cast<const char*>(z) - a->s);
          if (prec >= 0 && static_cast<size_t>(prec) < n) n = static_cast<size_t>(prec);
          out.append(a->s, n);
        }
        Pad(out, from, width, left);
        break;
      }
      case 'g':
      case 'e':
      case 'f': {
        const double v = AsDouble(take());
        if (!other) {
          char buf[512];
          const std::chars_format cf = conv == 'g'   ? std::chars_format::general
                                       : conv == 'e' ? std::chars_format::scientific
                                                     : std::chars_format::fixed;
          const int pr = prec < 0 ? 6 : prec;
          const auto r = std::to_chars(buf, buf + sizeof buf, v, cf, pr);
          if (r.ec == std::errc()) {
            const size_t from = out.size();
            out.append(buf, static_cast<size_t>(r.ptr - buf));
            Pad(out, from, width, left);
            break;
          }
        }
        SlowFormat(out, rebuild("").c_str(), v);
        break;
      }
      case 'G':
      case 'E':
      case 'F':
      case 'a':
      case 'A':
        SlowFormat(out, rebuild("").c_str(), AsDouble(take()));
        break;
      case 'n':
      case 'p':
        take();  // never written through
        break;
      default:  // not a conversion: written as it stands
        out.append(pct, static_cast<size_t>(p - pct));
        break;
    }
  }
}

}  // namespace hvx
