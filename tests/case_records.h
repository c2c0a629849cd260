// Case files of records, for the table-driven tests: "=== NAME" opens a
// record, the lines up to the next one are its body; lines before the first
// are remarks. A file that cannot be read or holds no record fails the test.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/testutil.h"

namespace hvxtest {

struct CaseRecord {
  std::string name, where;  // where: "FILE:LINE" of its "===" line
  std::vector<std::string> lines;
};

inline std::vector<CaseRecord> CaseRecords(const std::string& file) {
  std::vector<CaseRecord> records;
  std::istringstream in(ReadFile(SourceDir() + "/tests/" + file));
  std::string line;
  for (int n = 1; std::getline(in, line); ++n) {
    if (line.rfind("=== ", 0) == 0) records.push_back({line.substr(4), file + ":" + std::to_string(n), {}});
    else if (!records.empty()) records.back().lines.push_back(line);
  }
  EXPECT_FALSE(records.empty()) << "no cases in tests/" << file;
  return records;
}

}  // namespace hvxtest
