// printf-style formatting with typed arguments, byte-identical to C printf in
// the C locale for the conversions the converter uses (d, i, u, x, o, c, s, g,
// e, f and their flags, widths and precisions), and independent of the process
// locale. Arguments are passed by type, so a format asking for more arguments
// than given, or "%n", writes nothing for them instead of reading the stack.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

namespace hvx {

struct FmtArg {
  enum Kind : uint8_t { kInt, kDouble, kStr } kind;
  union {
    long long i = 0;  // kInt
    double d;         // kDouble
    const char* s;    // kStr, with its length n
  };
  size_t n = 0;
};

template <class T>
inline FmtArg MakeFmtArg(const T& v) {
  FmtArg a{};
  if constexpr (std::is_floating_point_v<T>) {
    a.kind = FmtArg::kDouble;
    a.d = static_cast<double>(v);
  } else if constexpr (std::is_integral_v<T> || std::is_enum_v<T>) {
    a.kind = FmtArg::kInt;
    a.i = static_cast<long long>(v);
  } else if constexpr (std::is_convertible_v<const T&, std::string_view>) {
    const std::string_view sv(v);
    a.kind = FmtArg::kStr;
    a.s = sv.data();
    a.n = sv.size();
  } else {
    static_assert(sizeof(T) == 0, "unsupported format argument type");
  }
  return a;
}

// Appends the formatted text to out.
void FormatArgs(std::string& out, const char* fmt, const FmtArg* args, size_t count);

template <class... A>
inline void FormatTo(std::string& out, const char* fmt, const A&... a) {
  if constexpr (sizeof...(A) == 0) {
    FormatArgs(out, fmt, nullptr, 0);
  } else {
    const FmtArg args[] = {MakeFmtArg(a)...};
    FormatArgs(out, fmt, args, sizeof...(A));
  }
}

template <class... A>
inline std::string Format(const char* fmt, const A&... a) {
  std::string s;
  FormatTo(s, fmt, a...);
  return s;
}

// Appends v as "%g" / "%d" would (fast paths used by the formatter).
void AppendG(std::string& out, double v);
void AppendD(std::string& out, long long v);

}  // namespace hvx
