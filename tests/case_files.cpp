#include "tests/case_files.h"

#include <gtest/gtest.h>

#include <cctype>
#include <sstream>

#include "tests/testutil.h"

namespace hvxtest {

namespace {

// The text with its escapes replaced; `where` names the line for a failure.
std::string Unescaped(const std::string& text, const std::string& where) {
  const std::string from = "ntrvf0\\", to("\n\t\r\v\f\0\\", 7);
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out += text[i];
      continue;
    }
    const char c = i + 1 < text.size() ? text[i + 1] : ' ';
    const auto hex = [&](size_t k) { return k < text.size() && std::isxdigit(static_cast<unsigned char>(text[k])); };
    if (from.find(c) != std::string::npos) {
      out += to[from.find(c)];
      i += 1;
    } else if (c == 'x' && hex(i + 2) && hex(i + 3)) {
      out += static_cast<char>(std::stoi(text.substr(i + 2, 2), nullptr, 16));
      i += 3;
    } else {
      ADD_FAILURE() << where << ": not an escape: " << text.substr(i, 2);
    }
  }
  return out;
}

}  // namespace

std::vector<std::string> CaseRecord::All(const std::string& key) const {
  std::vector<std::string> all;
  for (const auto& [k, v] : fields)
    if (k == key) all.push_back(v);
  return all;
}

std::vector<CaseRecord> ReadCases(const std::string& name, const std::set<std::string>& keys, bool escapes) {
  std::istringstream in(ReadFile(SourceDir() + "/tests/tables/" + name));
  std::vector<CaseRecord> cases;
  int n = 0;
  for (std::string line; std::getline(in, line);) {
    if (++n, line.empty() || line[0] == '#') continue;
    const std::string where = name + ":" + std::to_string(n);
    const size_t colon = line.find(": ") != std::string::npos ? line.find(": ") : line.size() - 1;
    if (line.rfind("== ", 0) == 0) {
      cases.push_back({line.substr(3), where + " " + line.substr(3), {}});
    } else if (!cases.empty() && line.find(':') == colon && keys.count(line.substr(0, colon))) {
      const std::string value = colon + 2 < line.size() ? line.substr(colon + 2) : "";
      cases.back().fields.emplace_back(line.substr(0, colon), escapes ? Unescaped(value, where) : value);
    } else {
      ADD_FAILURE() << where << ": not a case line: " << line;
    }
  }
  EXPECT_FALSE(cases.empty()) << name << ": no cases";
  return cases;
}

std::vector<CaseRow> CaseRows(const std::string& file, size_t fields) {
  std::vector<CaseRow> rows;
  std::istringstream in(ReadFile(SourceDir() + "/tests/unit_cases/" + file));
  std::string text;
  for (int n = 1; std::getline(in, text); ++n) {
    if (text.empty() || text[0] == '#') continue;
    const std::string where = file + ":" + std::to_string(n);
    CaseRow& r = rows.emplace_back(CaseRow{n, {}});
    // Tabs part the fields before escapes are replaced: an escaped \t is data.
    for (size_t a = 0, b = 0; b != std::string::npos; a = b + 1) {
      b = text.find('\t', a);
      r.fields.push_back(Unescaped(text.substr(a, b == std::string::npos ? std::string::npos : b - a), where));
    }
    EXPECT_EQ(fields, r.fields.size()) << where << ": fields";
    r.fields.resize(fields);
  }
  EXPECT_FALSE(rows.empty()) << file << ": no cases";
  return rows;
}

std::vector<ModelCase> ModelCases(const std::string& file) {
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
  EXPECT_FALSE(cases.empty()) << file << ": no cases";
  return cases;
}

}  // namespace hvxtest
