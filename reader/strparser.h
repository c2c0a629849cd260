// Line and field parsing of the model file: reading one line of at most 499
// characters, normalising it, splitting it into fields (strings or numbers) and
// evaluating one numeric field, which may be a short left-to-right expression.
// Number conversion never depends on the process locale.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/linesource.h"
#include "base/numbers.h"

namespace hvx {

class CHalvexStrParser {
 public:
  virtual ~CHalvexStrParser() = default;
  CHalvexStrParser() = delete;

  // Split a line into fields; both append to out and return 1.
  static int SplitToNumbers(std::string_view line, std::vector<double>& out);
  // SplitToNumbers for a line made only of plain decimal fields separated by
  // commas (digits with a sign and a point at most); false, with out
  // unchanged, for any other line.
  static bool SplitPlainNumbers(std::string_view line, std::vector<double>& out);
  static int SplitToStrings(std::string_view line, std::vector<std::string>& out);

  // Value of one field: a number or a left-to-right expression of + - * /.
  static double EvalNumber(std::string_view field);

  // The C library's atof in the C locale: leading white space, sign, decimal
  // or hexadecimal digits, exponent, inf/nan; 0 when no number is there.
  static double Atof(std::string_view text);
};

// Removes leading and trailing white space (blank, tab, CR, LF, VT, FF).
std::string_view Trim(std::string_view s);

}  // namespace hvx
