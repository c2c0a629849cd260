#include "tests/recorded_numbers.h"

#include <charconv>
#include <string>
#include <vector>

namespace hvxtest {

namespace {

using hvx::CPieceNumbers;

std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  for (;;) {
    const size_t comma = line.find(',');
    std::string_view f = line.substr(0, comma);
    while (!f.empty() && (f.front() == ' ' || f.front() == '\t')) f.remove_prefix(1);
    while (!f.empty() && (f.back() == ' ' || f.back() == '\t')) f.remove_suffix(1);
    fields.push_back(f);
    if (comma == std::string_view::npos) return fields;
    line.remove_prefix(comma + 1);
  }
}

// Field f is the whole number n.
bool Is(std::string_view f, long long n) {
  long long v;
  const auto r = std::from_chars(f.data(), f.data() + f.size(), v);
  return !f.empty() && r.ec == std::errc() && r.ptr == f.data() + f.size() && v == n;
}

// Nodes of each element type, in the order of CPieceNumbers::EType.
constexpr uint32_t kNodes[] = {2, 2, 4, 4, 4, 8};

}  // namespace

bool RecordedNumbersMatch(std::string_view text, const CPieceNumbers& numbers) {
  const bool elements = numbers.Shape() == CPieceNumbers::EShape::kElements;
  if (!elements && numbers.Shape() != CPieceNumbers::EShape::kFirstNumbers) return false;
  std::vector<std::vector<std::string_view>> lines;
  for (const CPieceNumbers::CRange& r : numbers.Numbers()) {
    for (long long n = r.first; n <= r.last; ++n) {
      const size_t end = text.find('\n');
      if (end == std::string_view::npos) return false;
      const std::string_view line = text.substr(0, end);
      text.remove_prefix(end + 1);
      if (line.empty() || line[0] == '*' || line[0] == ';' || line.back() == '\r') return false;
      lines.push_back(Fields(line));
      if (!Is(lines.back()[0], n)) return false;
    }
  }
  if (!text.empty() || lines.size() != numbers.Lines()) return false;
  if (!elements) return true;
  size_t i = 0;
  bool match = true;
  numbers.ForEachElement([&](CPieceNumbers::EType t, int32_t material, int32_t property, const int32_t* f,
                             uint32_t count) {
    if (!match || i == lines.size()) {
      match = false;
      return;
    }
    const std::vector<std::string_view>& fields = lines[i++];
    const auto type = static_cast<size_t>(t);
    match = fields.size() >= 4 + count && count >= kNodes[type] && fields[1] == hvx::kElementKinds[type].name &&
            Is(fields[2], material) && (t == CPieceNumbers::EType::kSolid || Is(fields[3], property));
    for (uint32_t k = 0; match && k < count; ++k) match = Is(fields[4 + k], f[k]);
  });
  return match && i == lines.size();
}

}  // namespace hvxtest
