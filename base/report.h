// What one conversion read, wrote and passed over, for the conversion report.
// The reader and writer fill it only when the host asks for a report (they hold
// a null pointer otherwise), so the plain conversion pays a branch at most.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace hvx {

// Kinds of entity the report counts, in report order.
enum class EKind : int {
  kNodes,
  kElements,
  kMaterials,
  kProperties,
  kConstraintEquations,
  kLoadSets,
  kStaticLoads,
  kGroups,
  kFunctions,
  kHingeProperties,
  kCount
};
// The kind's key in the report ("nodes", "load_sets", ...).
inline const char* KindKey(EKind k) {
  static const char* const kKeys[] = {"nodes",     "elements",     "materials", "properties",
                                      "constraint_equations", "load_sets", "static_loads",
                                      "groups",    "functions",    "hinge_properties"};
  static_assert(sizeof(kKeys) / sizeof(kKeys[0]) == static_cast<size_t>(EKind::kCount));
  return kKeys[static_cast<int>(k)];
}

class CConversionReport {
 public:
  static constexpr size_t kMaxNumbers = 20;

  // One reason for not converting entities: how many, and the first numbers.
  struct CReason {
    std::string text;
    int64_t count = 0;
    std::vector<int32_t> numbers;
  };
  struct CSectionCount {
    std::string section;
    int64_t count = 0;
  };
  struct CKind {
    int64_t read = 0;
    int64_t written = 0;
    std::vector<CSectionCount> sections;  // in the order first written
    std::vector<CReason> notConverted;    // written nowhere, in the order first met
    // Written, but left out of a section or written without a part of it, in
    // the order first met.
    std::vector<CReason> partlyConverted;
  };
  struct CBlockLines {
    int32_t block = 0;
    int64_t lines = 0;
  };

  CKind& Kind(EKind k) { return m_kinds[static_cast<int>(k)]; }
  const CKind& Kind(EKind k) const { return m_kinds[static_cast<int>(k)]; }

  // ---- reading -------------------------------------------------------------
  void AddRead(EKind k, int64_t n) { Kind(k).read += n; }
  void UnknownBlock(int32_t block, int64_t lines) { m_unknownBlocks.push_back({block, lines}); }
  void BlockNotRead(int32_t block, int64_t lines) { m_blocksNotRead.push_back({block, lines}); }
  int64_t linesOutsideBlocks = 0;
  int64_t readStoppedAtLine = -1;  // -1: reading did not stop early
  int64_t dataBlocks = 0;          // blocks a block reader took (a failed one included)
  const std::vector<CBlockLines>& UnknownBlocks() const { return m_unknownBlocks; }
  const std::vector<CBlockLines>& BlocksNotRead() const { return m_blocksNotRead; }

  // ---- writing -------------------------------------------------------------
  // n entities of kind k written into section (counted once each in the
  // kind's total unless MarkWritten already counted them).
  void AddWritten(EKind k, std::string_view section, int64_t n);
  // Entity id of kind k written into section; an entity counts once per
  // section and once in the kind's total.
  void MarkWritten(EKind k, std::string_view section, int32_t id);
  bool IsWritten(EKind k, int32_t id) const;
  // Entity id of kind k not converted, for the given reason.
  void NotConverted(EKind k, std::string_view reason, int32_t id);
  // Entity id of kind k written, but not whole, for the given reason.
  void PartlyConverted(EKind k, std::string_view reason, int32_t id);

  // Every entity of kind k not converted, beyond the first kMaxNumbers per
  // reason: kept only for the kinds KeepAllNumbers names (the model page marks
  // each element), so a plain report pays one test per entity passed over.
  struct CNumbered {
    int32_t number;
    uint32_t reason;  // index into Kind(k).notConverted
  };
  void KeepAllNumbers(EKind k) { m_keepAll[static_cast<int>(k)] = true; }
  // In the order met; empty unless kept.
  const std::vector<CNumbered>& AllNumbers(EKind k) const { return m_all[static_cast<int>(k)]; }

 private:
  // Counts id under reason; the reason's index in the list. at finds a
  // reason's index by its text: a model may give thousands of reasons.
  static size_t AddTo(std::vector<CReason>& reasons, std::unordered_map<std::string, size_t>& at,
                      std::string_view reason, int32_t id);
  // Index of the section in kind's list (added with count 0 when new).
  size_t SectionIndex(CKind& kind, std::string_view section);

  CKind m_kinds[static_cast<int>(EKind::kCount)];
  std::unordered_map<std::string, size_t> m_notConvertedAt[static_cast<int>(EKind::kCount)];
  std::unordered_map<std::string, size_t> m_partlyConvertedAt[static_cast<int>(EKind::kCount)];
  std::unordered_set<int32_t> m_writtenIds[static_cast<int>(EKind::kCount)];
  // (kind, section index, id) already counted for that section
  std::unordered_set<uint64_t> m_sectionIds;
  std::vector<CBlockLines> m_unknownBlocks;
  std::vector<CBlockLines> m_blocksNotRead;
  bool m_keepAll[static_cast<int>(EKind::kCount)] = {};
  std::vector<CNumbered> m_all[static_cast<int>(EKind::kCount)];
};

// Progress of one conversion, for a host that shows it: bytes of the model
// taken so far (after each piece read and after each block), and each section
// group of the writer as writing reaches it. A host that wants the conversion
// to stop throws CCancelled (base/env.h) from either.
class IProgress {
 public:
  virtual ~IProgress() = default;
  virtual void ReadProgress(uint64_t bytesRead) = 0;
  // Section group `index` (from 0) of `count` begins; keyword names it.
  virtual void WriteSection(const char* keyword, int index, int count) = 0;
};

}  // namespace hvx
