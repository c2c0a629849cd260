// The conversion report of one model as readable text (--report) and as JSON
// (--report-json); the README describes both.
#pragma once

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "base/report.h"
#include "check/qsxcheck.h"

namespace hvx {

struct CModelReport {
  std::string model;  // as given on the command line
  int status = 0;     // the model's exit status
  hvx::CConversionReport facts;
  bool checked = false;  // a QSX file was written and checked
  std::vector<hvx::CDangling> dangling;
  long long uncheckedReferences = 0;  // too many to resolve; not checked
};

// Dangling references listed in the text; the JSON lists all.
inline constexpr size_t kMaxDanglingText = 20;

std::string ReportText(const CModelReport& r);
nlohmann::ordered_json ReportJson(const CModelReport& r);

}  // namespace hvx
