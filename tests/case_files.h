// Cases kept as text: tests/tables (records) and tests/unit_cases (rows and
// model cases). Each reader is strict: a line of another form, an unknown key
// or escape, a wrong number of fields or a file without cases fails the test,
// naming the file and line ("FILE:LINE: what").
//
// Escapes, in record values and row fields: \n \t \r \v \f \0 \\ and \xHH.
#pragma once

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace hvxtest {

// Records (tests/tables/NAME): a line "== NAME" starts one, then "KEY: VALUE"
// lines (a key may repeat). '#' lines and blank lines are remarks. With
// escapes false, values are taken as written.
struct CaseRecord {
  std::string name, where;  // where: "FILE:LINE NAME", for SCOPED_TRACE
  std::vector<std::pair<std::string, std::string>> fields;
  std::vector<std::string> All(const std::string& key) const;
  bool Has(const std::string& key) const { return !All(key).empty(); }
  std::string Get(const std::string& key, const std::string& otherwise = "") const {  // the first value
    return Has(key) ? All(key).front() : otherwise;
  }
  int Int(const std::string& key, int otherwise = 0) const { return Has(key) ? std::stoi(Get(key)) : otherwise; }
};
std::vector<CaseRecord> ReadCases(const std::string& name, const std::set<std::string>& keys, bool escapes = true);

// Rows (tests/unit_cases/FILE): one a line, `fields` fields apart by tabs;
// blank lines and lines starting with '#' are remarks.
struct CaseRow {
  int line;
  std::vector<std::string> fields;
};
std::vector<CaseRow> CaseRows(const std::string& file, size_t fields);

// Model cases (tests/unit_cases/FILE): lines before the first "=== " line are
// remarks; then
//   === name of the case
//   model text, line for line
//   --- part argument      the lines of the part follow (to the next "---" or "===")
struct ModelCase {
  std::string name, where;  // where: file:line and name
  std::string model;
  std::map<std::string, std::pair<std::string, std::string>> parts;  // name -> argument, lines
};
std::vector<ModelCase> ModelCases(const std::string& file);

}  // namespace hvxtest
