// The conversion report of one model as readable text (--report) and as JSON
// (--report-json); docs/report.md describes both.
#pragma once

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "base/report.h"
#include "check/qsxcheck.h"
#include "api/conversion.h"

namespace hvx {

struct CModelReport {
  std::string model;   // as given on the command line
  std::string output;  // the file written, named as the model is; "" when none
  int status = 0;      // the model's exit status
  hvx::CConversionReport facts;
  bool checked = false;  // a QSX file was written and checked
  hvx::CDanglingList dangling;        // listed unless only counted (no report, no page)
  long long danglingCount = 0;        // all of them, each number of a run counted
  long long uncheckedReferences = 0;  // too many to resolve; not checked
};

// Entries of the dangling references (a run of numbers is one) listed in the
// text and in the JSON; both count the references they do not list.
inline constexpr size_t kMaxDanglingText = 20;
inline constexpr size_t kMaxDanglingJson = 10000;

// The written file's dangling references, all counted (the summary's figure).
inline long long DanglingCount(const CModelReport& r) { return r.checked ? r.danglingCount : 0; }

// What the summary line tells of the report's facts.
CSummary SummaryOf(const CModelReport& r);

std::string ReportText(const CModelReport& r);
nlohmann::ordered_json ReportJson(const CModelReport& r);

}  // namespace hvx
