// The leading fields of element lines, read by CPlainFields.
#include "check/fields.h"

#include <array>
#include <iterator>

#include "check/rules.h"

namespace hvx::qsxcheck {

namespace {

// The type fields of kElementTypes as the converter writes them (" BEAM  ,"),
// as little-endian words.
constexpr std::array<uint64_t, std::size(kElementTypes)> kTypeWords = [] {
  std::array<uint64_t, std::size(kElementTypes)> words{};
  for (size_t i = 0; i < words.size(); ++i) {
    char field[8] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ','};
    for (size_t k = 0; k < kElementTypes[i].name.size() && k < 6; ++k) field[1 + k] = kElementTypes[i].name[k];
    for (int k = 7; k >= 0; --k) words[i] = words[i] << 8 | static_cast<unsigned char>(field[k]);
  }
  return words;
}();

}  // namespace

int ReadLeadingFields(std::string_view line, long long* v, int& type) {
  type = -1;
  CPlainFields f(line);
  if (!f.Int(v[0])) return 0;
  std::string_view name;
  if constexpr (std::endian::native == std::endian::little) {
    for (int i = 0; i < static_cast<int>(kTypeWords.size()) && type < 0; ++i)
      if (f.Word(kTypeWords[i])) type = i;
  }
  if (type < 0) {
    if (!f.Text(name)) return 1;
    type = TypeRow(name);
    if (type < 0) return 1;
  }
  const CElementType& t = kElementTypes[type];
  if (!f.Int(v[1])) return 2;
  v[2] = 0;
  if (t.property != kKindCount ? !f.Int(v[2]) : !f.Text(name)) return 3;
  for (int i = 0; i < t.nodes; ++i)
    if (!f.Int(v[3 + i])) return 4 + i;
  return 4 + t.nodes;
}

}  // namespace hvx::qsxcheck
