// Cases kept as text under tests/unit_cases; a missing or empty file fails
// the test.
//
// Rows: one a line, its fields apart by tabs; blank lines and lines starting
// with '#' are remarks. In a field \t, \n, \r, \v, \f, \0 and \\ stand for
// those characters.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/testutil.h"

namespace hvxtest {

struct CaseRow {
  int line;
  std::vector<std::string> fields;
};

inline std::vector<CaseRow> CaseRows(const std::string& file, size_t fields) {
  std::vector<CaseRow> rows;
  std::istringstream in(ReadFile(SourceDir() + "/tests/unit_cases/" + file));
  std::string text;
  for (int n = 1; std::getline(in, text); ++n) {
    if (text.empty() || text[0] == '#') continue;
    CaseRow& r = rows.emplace_back(CaseRow{n, {""}});
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\t') {
        r.fields.emplace_back();
      } else if (text[i] == '\\' && i + 1 < text.size()) {
        const char c = text[++i];
        const std::string from = "tnrvf0\\", to("\t\n\r\v\f\0\\", 7);
        EXPECT_NE(std::string::npos, from.find(c)) << file << ":" << n << ": unknown escape \\" << c;
        r.fields.back() += to[from.find(c) % 7];
      } else {
        r.fields.back() += text[i];
      }
    }
    EXPECT_EQ(fields, r.fields.size()) << file << ":" << n << ": fields";
    r.fields.resize(fields);
  }
  EXPECT_FALSE(rows.empty()) << "no cases in " << file;
  return rows;
}

// Models: lines before the first "=== " line are remarks; then
//   === name of the case
//   model text, line for line
//   --- part argument      the lines of the part follow (to the next "---" or "===")
struct ModelCase {
  std::string name, where;  // where: file:line and name
  std::string model;
  std::map<std::string, std::pair<std::string, std::string>> parts;  // name -> argument, lines
};

inline std::vector<ModelCase> ModelCases(const std::string& file) {
  std::vector<ModelCase> cases;
  std::istringstream in(ReadFile(SourceDir() + "/tests/unit_cases/" + file));
  std::string text, *into = nullptr;
  for (int n = 1; std::getline(in, text); ++n) {
    if (text.rfind("=== ", 0) == 0) {
      const std::string name = text.substr(4), where = file + ":" + std::to_string(n) + ": " + name;
      into = &cases.emplace_back(ModelCase{name, where, "", {}}).model;
    } else if (into && text.rfind("--- ", 0) == 0) {
      const size_t blank = text.find(' ', 4);
      auto& part = cases.back().parts[text.substr(4, blank - 4)];
      if (blank != std::string::npos) part.first = text.substr(blank + 1);
      into = &part.second;
    } else if (into) {
      *into += text + "\n";
    }
  }
  EXPECT_FALSE(cases.empty()) << "no cases in " << file;
  return cases;
}

}  // namespace hvxtest
