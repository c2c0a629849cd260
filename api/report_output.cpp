#include "api/report_output.h"

namespace hvx {

using hvx::CConversionReport;
using hvx::EKind;

namespace {

std::string Plural(int64_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string BlockList(const std::vector<CConversionReport::CBlockLines>& blocks) {
  if (blocks.empty()) return "none";
  std::string s;
  for (const auto& b : blocks) {
    if (!s.empty()) s += ", ";
    s += std::to_string(b.block) + " (" + Plural(b.lines, "line", "lines") + ")";
  }
  return s;
}

int64_t Total(const std::vector<CConversionReport::CReason>& reasons) {
  int64_t n = 0;
  for (const auto& reason : reasons) n += reason.count;
  return n;
}

// "    [prefix]reason: count (numbers[, ...])" per reason.
std::string ReasonLines(const std::vector<CConversionReport::CReason>& reasons, const char* prefix) {
  std::string s;
  for (const auto& reason : reasons) {
    s += "    " + std::string(prefix) + reason.text + ": " + std::to_string(reason.count) + " (";
    for (size_t i = 0; i < reason.numbers.size(); ++i) s += (i ? ", " : "") + std::to_string(reason.numbers[i]);
    if (static_cast<int64_t>(reason.numbers.size()) < reason.count) s += ", ...";
    s += ")\n";
  }
  return s;
}

nlohmann::ordered_json ReasonJson(const std::vector<CConversionReport::CReason>& reasons) {
  nlohmann::ordered_json a = nlohmann::ordered_json::array();
  for (const auto& reason : reasons)
    a.push_back({{"reason", reason.text}, {"count", reason.count}, {"numbers", reason.numbers}});
  return a;
}

nlohmann::ordered_json BlockJson(const std::vector<CConversionReport::CBlockLines>& blocks) {
  nlohmann::ordered_json a = nlohmann::ordered_json::array();
  for (const auto& b : blocks) a.push_back({{"block", b.block}, {"lines", b.lines}});
  return a;
}

}  // namespace

CSummary SummaryOf(const CModelReport& r) {
  const CConversionReport& f = r.facts;
  CSummary s;
  s.counted = true;
  for (int k = 0; k < static_cast<int>(EKind::kCount); ++k) {
    const CConversionReport::CKind& kind = f.Kind(static_cast<EKind>(k));
    const char* key = hvx::KindKey(static_cast<EKind>(k));
    if (const int64_t n = Total(kind.notConverted)) s.notConverted.push_back({key, n});
    if (const int64_t n = Total(kind.partlyConverted)) s.partlyConverted.push_back({key, n});
  }
  s.unknownBlocks = static_cast<long long>(f.UnknownBlocks().size());
  s.linesOutsideBlocks = f.linesOutsideBlocks;
  s.readStoppedAtLine = f.readStoppedAtLine;
  s.danglingReferences = DanglingCount(r);
  s.noDataBlock = f.dataBlocks == 0;
  return s;
}

std::string ReportText(const CModelReport& r) {
  const CConversionReport& f = r.facts;
  std::string s = "Conversion report: " + r.model + " (exit status " + std::to_string(r.status) + ")\n";
  for (int k = 0; k < static_cast<int>(EKind::kCount); ++k) {
    const CConversionReport::CKind& kind = f.Kind(static_cast<EKind>(k));
    const int64_t passed = Total(kind.notConverted), partly = Total(kind.partlyConverted);
    s += "  " + std::string(hvx::KindKey(static_cast<EKind>(k))) + ": " + std::to_string(kind.read) + " read, " +
         std::to_string(kind.written) + " written";
    if (!kind.sections.empty()) {
      s += " (";
      for (size_t i = 0; i < kind.sections.size(); ++i)
        s += (i ? ", " : "") + kind.sections[i].section + " " + std::to_string(kind.sections[i].count);
      s += ")";
    }
    if (passed != 0) s += ", " + std::to_string(passed) + " not converted";
    if (partly != 0) s += ", " + std::to_string(partly) + " partly converted";
    s += "\n";
    s += ReasonLines(kind.notConverted, "");
    s += ReasonLines(kind.partlyConverted, "partly: ");
  }
  s += "  unknown blocks: " + BlockList(f.UnknownBlocks()) + "\n";
  s += "  lines outside blocks: " + std::to_string(f.linesOutsideBlocks) + "\n";
  if (f.dataBlocks == 0) s += "  no Halvex data block found\n";
  if (f.readStoppedAtLine < 0) {
    s += "  reading went on to the end of the file\n";
  } else {
    s += "  reading stopped at line " + std::to_string(f.readStoppedAtLine) + " after a format error\n";
    s += "  blocks not read: " + BlockList(f.BlocksNotRead()) + "\n";
  }
  if (!r.checked) {
    s += "  dangling references: not checked (no QSX file written)\n";
  } else if (r.dangling.empty()) {
    s += "  dangling references: none\n";
  } else {
    s += "  dangling references: " + std::to_string(r.dangling.References()) + "\n";
    size_t listed = 0;
    long long left = r.dangling.References();
    for (const hvx::CDangling& d : r.dangling) {
      if (listed++ == kMaxDanglingText) break;
      s += "    " + std::string(d.section) + " line " + std::to_string(d.line) + ": " +
           (d.IsRun() ? hvx::RunText(d) : std::string(d.kind) + " " + d.name) + "\n";
      left -= d.count;
    }
    if (left > 0) s += "    ... " + std::to_string(left) + " more\n";
  }
  if (r.uncheckedReferences != 0)
    s += "  references not checked (too many unresolved at once): " + std::to_string(r.uncheckedReferences) + "\n";
  return s;
}

nlohmann::ordered_json ReportJson(const CModelReport& r) {
  using J = nlohmann::ordered_json;
  const CConversionReport& f = r.facts;
  J entities = J::object();
  for (int k = 0; k < static_cast<int>(EKind::kCount); ++k) {
    const CConversionReport::CKind& kind = f.Kind(static_cast<EKind>(k));
    J sections = J::object();
    for (const auto& sc : kind.sections) sections[sc.section] = sc.count;
    entities[hvx::KindKey(static_cast<EKind>(k))] = {{"read", kind.read},
                                                     {"written", kind.written},
                                                     {"sections", sections},
                                                     {"not_converted", ReasonJson(kind.notConverted)},
                                                     {"partly_converted", ReasonJson(kind.partlyConverted)}};
  }
  J dangling = J::array();
  long long notListed = r.dangling.References();
  for (const hvx::CDangling& d : r.dangling) {
    if (dangling.size() == kMaxDanglingJson) break;
    if (d.IsRun())
      dangling.push_back({{"section", d.section},
                          {"line", d.line},
                          {"kind", d.kind},
                          {"first", d.first},
                          {"last", d.last},
                          {"step", d.step},
                          {"count", d.count}});
    else
      dangling.push_back({{"section", d.section}, {"line", d.line}, {"kind", d.kind}, {"name", d.name}});
    notListed -= d.count;
  }
  J o = J::object();
  o["model"] = r.model;
  o["output"] = r.output.empty() ? J(nullptr) : J(r.output);
  o["tool_version"] = hvx::Version();
  o["status"] = r.status;
  o["entities"] = entities;
  o["unknown_blocks"] = BlockJson(f.UnknownBlocks());
  o["lines_outside_blocks"] = f.linesOutsideBlocks;
  o["no_data_block"] = f.dataBlocks == 0;
  o["read_stopped_at_line"] = f.readStoppedAtLine < 0 ? J(nullptr) : J(f.readStoppedAtLine);
  o["blocks_not_read"] = BlockJson(f.BlocksNotRead());
  o["checked"] = r.checked;
  o["dangling"] = dangling;
  if (notListed > 0) o["dangling_not_listed"] = notListed;
  o["unchecked_references"] = r.uncheckedReferences;
  return o;
}

}  // namespace hvx
