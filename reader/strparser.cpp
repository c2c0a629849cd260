#include "reader/strparser.h"

#include <charconv>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <locale.h>

#include "base/c_locale.h"

namespace hvx {
namespace {
inline bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}
inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// strtod in the C locale, whatever the process locale is.
double StrtodC(const char* s) {
#if defined(_WIN32)
  const CThreadCLocale cLocale;
  return std::strtod(s, nullptr);
#else
  static locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return strtod_l(s, nullptr, cLocale);
#endif
}
}  // namespace

std::string_view Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && IsSpace(s[b])) ++b;
  while (e > b && IsSpace(s[e - 1])) --e;
  return s.substr(b, e - b);
}

double CHalvexStrParser::Atof(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  const char* p = text.data() + i;
  const char* e = text.data() + text.size();
  bool neg = false;
  const char* digits = p;
  if (digits < e && (*digits == '+' || *digits == '-')) {
    neg = *digits == '-';
    ++digits;
  }
  // Fast path: a plain decimal number (not hexadecimal, inf or nan).
  if (digits < e && (IsDigit(*digits) || *digits == '.') &&
      !(digits[0] == '0' && digits + 1 < e && (digits[1] == 'x' || digits[1] == 'X'))) {
    double v = 0.0;
    const auto r = std::from_chars(digits, e, v, std::chars_format::general);
    if (r.ec == std::errc()) return neg ? -v : v;
  }
  if (p == e) return 0.0;
  // Everything else (overflow, underflow, hex, inf, nan, no number) as strtod.
  char small[128];
  const size_t n = static_cast<size_t>(e - p);
  if (n < sizeof small) {
    std::memcpy(small, p, n);
    small[n] = '\0';
    return hvx::StrtodC(small);
  }
  std::string copy(p, n);
  return hvx::StrtodC(copy.c_str());
}

double CHalvexStrParser::EvalNumber(std::string_view field) {
  // Length without trailing white space.
  size_t len = field.size();
  while (len > 0 && IsSpace(field[len - 1])) --len;
  // Operator positions: 0 < i < len-1, not after an exponent letter or a blank.
  size_t first = 0;
  for (size_t i = 1; i + 1 < len; ++i) {
    const char c = field[i];
    if ((c == '+' || c == '-' || c == '*' || c == '/') && field[i - 1] != 'e' && field[i - 1] != 'E' &&
        field[i - 1] != ' ') {
      first = i;
      break;
    }
  }
  if (first == 0) return Atof(field);
  double value = Atof(field.substr(0, first));
  size_t op = first;
  while (op != 0) {
    size_t next = 0;
    for (size_t i = op + 1; i + 1 < len; ++i) {
      const char c = field[i];
      if ((c == '+' || c == '-' || c == '*' || c == '/') && field[i - 1] != 'e' && field[i - 1] != 'E' &&
          field[i - 1] != ' ') {
        next = i;
        break;
      }
    }
    const std::string_view operand =
        next ? field.substr(op + 1, next - op - 1) : field.substr(op + 1);
    const double x = Atof(operand);
    switch (field[op]) {
      case '+': value += x; break;
      case '-': value -= x; break;
      case '*': value *= x; break;
      default:
        value = (x < 1e-20 && x > -1e-20) ? 0.0 : value / x;
        break;
    }
    op = next;
  }
  return value;
}

namespace {
// Cuts the trailing keyword part (the word holding the first "=" and all after).
std::string_view CutKeyword(std::string_view line) {
  const size_t eq = line.find('=');
  if (eq == std::string_view::npos) return line;
  for (size_t i = eq; i > 0; --i)
    if (line[i] == ' ') return line.substr(0, i + 1);
  return line;
}

// Calls emit(field, isExtraEmpty) for every field of the line.
template <class Emit>
void SplitFields(std::string_view raw, Emit&& emit, bool trailingCommaField) {
  std::string_view line = CutKeyword(raw);
  // Tabs count as blanks; copy only when a tab is present.
  std::string tabless;
  if (line.find('\t') != std::string_view::npos) {
    tabless.assign(line.data(), line.size());
    for (char& c : tabless)
      if (c == '\t') c = ' ';
    line = tabless;
  }
  if (line.empty()) return;
  if (line.find(',') != std::string_view::npos) {
    size_t start = 0;
    for (size_t i = 0; i < line.size(); ++i) {
      if (line[i] == ',') {
        emit(hvx::Trim(line.substr(start, i - start)));
        start = i + 1;
      }
    }
    if (line.back() == ',') {
      if (trailingCommaField) emit(std::string_view());
    } else {
      emit(hvx::Trim(line.substr(start)));
    }
    return;
  }
  // Blank mode: runs of blanks separate fields; leading and trailing ones give none.
  size_t i = 0;
  const size_t n = line.size();
  while (i < n) {
    while (i < n && line[i] == ' ') ++i;
    if (i >= n) break;
    size_t j = i;
    while (j < n && line[j] != ' ') ++j;
    emit(hvx::Trim(line.substr(i, j - i)));
    i = j;
  }
}
}  // namespace

namespace {
constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,
                             1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19};

// Lines longer than this take the general path (a line of the model file has
// at most 499 characters).
constexpr size_t kFastLine = 512;
}  // namespace

// The bulk of a model file: lines of plain decimal fields ("12", "-0.25",
// "3.", ".5") separated by commas, possibly empty between two commas. Such a
// line gives the same numbers through the general rules (comma mode, nothing
// to trim, no operator, no exponent), and each field with at most 19 digits
// and a mantissa up to 2^53 is the correctly rounded quotient of two exact
// doubles, as strtod gives it.
bool CHalvexStrParser::SplitPlainNumbers(std::string_view line, std::vector<double>& out) {
  if (line.size() > kFastLine) return false;
  double fields[kFastLine];
  size_t n = 0;
  const char* p = line.data();
  const char* const e = p + line.size();
  while (p != e) {
    // Most fields of a model file are one digit ("0," above all).
    if (const unsigned d0 = static_cast<unsigned char>(*p) - unsigned{'0'}; d0 < 10 && e - p >= 2 && p[1] == ',') {
      fields[n++] = static_cast<double>(d0);
      p += 2;
      continue;
    }
    const char* const start = p;
    const bool neg = *p == '-';
    if (neg || *p == '+') ++p;
    uint64_t mant = 0;
    unsigned d;
    const char* digits = p;
    while (p != e && (d = static_cast<unsigned char>(*p) - unsigned{'0'}) < 10) {
      mant = mant * 10 + d;
      ++p;
    }
    size_t count = static_cast<size_t>(p - digits);
    size_t frac = 0;
    if (p != e && *p == '.') {
      const char* fraction = ++p;
      while (p != e && (d = static_cast<unsigned char>(*p) - unsigned{'0'}) < 10) {
        mant = mant * 10 + d;
        ++p;
      }
      frac = static_cast<size_t>(p - fraction);
      count += frac;
      if (count == 0) return false;  // "." alone
    } else if (count == 0) {
      // An empty field before a comma is 0; a lone sign or any other character
      // needs the general rules.
      if (p != start || *p != ',') return false;
      fields[n++] = 0.0;
      ++p;
      continue;
    }
    // Past 19 digits mant has wrapped; past 2^53 it is no longer exact.
    if (count > 19 || mant > (uint64_t{1} << 53)) return false;
    double v = static_cast<double>(mant);
    if (frac) v /= kPow10[frac];
    fields[n++] = neg ? -v : v;
    if (p == e) break;
    if (*p != ',') return false;
    ++p;  // a comma ending the line adds no field
  }
  out.insert(out.end(), fields, fields + n);
  return true;
}

int CHalvexStrParser::SplitToNumbers(std::string_view line, std::vector<double>& out) {
  if (SplitPlainNumbers(line, out)) return 1;
  SplitFields(
      line, [&](std::string_view f) { out.push_back(f.empty() ? 0.0 : EvalNumber(f)); }, false);
  return 1;
}

int CHalvexStrParser::SplitToStrings(std::string_view line, std::vector<std::string>& out) {
  SplitFields(
      line, [&](std::string_view f) { out.emplace_back(f); }, true);
  return 1;
}

}  // namespace hvx
