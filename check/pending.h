// The compact list of dangling references and of the references that wait
// for the end of the text. CDanglingCodec puts entries into a CDanglingList
// and reads them back; CPendingList holds the references of a text not yet
// resolved, in blocks that each know the numbers they refer to, and resolves
// them against what the whole text defines.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "check/dangling.h"
#include "check/numberset.h"
#include "check/rules.h"

namespace hvx::qsxcheck {

// Each entry: a flags byte; the line as a zigzag varint difference from the
// last entry's line; section and kind (nothing when both are the last entry's,
// else a row number byte each, or both as length-prefixed texts); then a name
// (length-prefixed), a number (zigzag varint) or a run (first, last, step as
// zigzag varints, count as a varint).
struct CDanglingCodec {
  enum : uint8_t {
    kFormName = 0,
    kFormNumber = 1,
    kFormRun = 2,
    kFormMask = 3,
    kSameRows = 4,   // section and kind rows of the last entry
    kTexts = 8,      // section and kind as texts, not rows
    kRowsBack = 16,  // section and kind rows of the entry before the last
    kLineSame = 32,  // on the last entry's line (no line difference follows)
    kLineNext = 64,  // on the line after it (no line difference follows)
  };

  // Rows flag of an entry with rows (s, k) after entries with rows r.
  static uint8_t RowsFlag(const CDanglingRows& r, int s, int k) {
    if (s == r.section && k == r.kind) return kSameRows;
    if (s == r.section2 && k == r.kind2) return kRowsBack;
    return 0;
  }
  // Rows after an entry with rows (s, k); (-1, -1) for texts.
  static void Step(CDanglingRows& r, int s, int k) {
    if (s == r.section && k == r.kind) return;
    r.section2 = r.section;
    r.kind2 = r.kind;
    r.section = s;
    r.kind = k;
  }
  // Line flag of a line difference, or 0 when the difference follows.
  static uint8_t LineFlag(long long step) { return step == 0 ? kLineSame : step == 1 ? kLineNext : 0; }

  // An entry as stored: section and kind as rows of the tables (-1: texts).
  struct CEntry {
    long long line = 0;
    int section = -1, kind = -1;
    std::string_view sectionText, kindText;
    uint8_t form = kFormName;
    std::string_view name;
    long long first = 0, last = 0, step = 0, count = 1;
  };

  static std::string_view Bytes(const CDanglingList& list) { return {list.m_bytes.data(), list.m_used}; }
  // Line and rows after the last entry of the list: where the next builds.
  static long long LastLine(const CDanglingList& list) { return list.m_line; }
  static const CDanglingRows& LastRows(const CDanglingList& list) { return list.m_rows; }

  static uint64_t GetVarint(std::string_view in, size_t& pos) {
    uint64_t v = 0;
    for (int shift = 0;; shift += 7) {
      const auto b = static_cast<uint8_t>(in[pos++]);
      v |= static_cast<uint64_t>(b & 0x7f) << shift;
      if (!(b & 0x80)) return v;
    }
  }
  static long long GetSigned(std::string_view in, size_t& pos) {
    const uint64_t u = GetVarint(in, pos);
    return static_cast<long long>((u >> 1) ^ (uint64_t{0} - (u & 1)));
  }
  static std::string_view GetText(std::string_view in, size_t& pos) {
    const auto n = static_cast<size_t>(GetVarint(in, pos));
    const std::string_view s(in.data() + pos, n);
    pos += n;
    return s;
  }

  // Values are written at p, which has room for them, and p moves on.
  static constexpr size_t kMaxVarint = 10;
  static void PutVarint(char*& p, uint64_t v) {
    while (v >= 0x80) {
      *p++ = static_cast<char>((v & 0x7f) | 0x80);
      v >>= 7;
    }
    *p++ = static_cast<char>(v);
  }
  static void PutSigned(char*& p, long long v) {
    PutVarint(p, (static_cast<uint64_t>(v) << 1) ^ (v < 0 ? ~uint64_t{0} : 0));
  }
  static void PutText(char*& p, std::string_view s) {
    PutVarint(p, s.size());
    if (!s.empty()) std::memcpy(p, s.data(), s.size());
    p += s.size();
  }
  // Room for n more bytes after the list's entries: the storage grows by
  // doubling and is written in place, the bytes in use counted apart.
  static char* Room(CDanglingList& list, size_t n) {
    std::string& b = list.m_bytes;
    if (b.size() - list.m_used < n) b.resize(std::max(b.size() * 2, list.m_used + n + 256));
    return b.data() + list.m_used;
  }

  // A single number by rows: Put of the usual entry, without its branches.
  static void PutNumber(CDanglingList& list, long long line, int section, int kind, long long value) {
    char* const start = Room(list, 3 + 2 * kMaxVarint);
    char* p = start + 1;
    uint8_t flags = kFormNumber | RowsFlag(list.m_rows, section, kind);
    const long long lineStep = static_cast<long long>(static_cast<uint64_t>(line) - static_cast<uint64_t>(list.m_line));
    flags |= LineFlag(lineStep);
    *start = static_cast<char>(flags);
    if (!(flags & (kLineSame | kLineNext))) PutSigned(p, lineStep);
    if (!(flags & (kSameRows | kRowsBack))) {
      *p++ = static_cast<char>(section);
      *p++ = static_cast<char>(kind);
    }
    PutSigned(p, value);
    list.m_used += static_cast<size_t>(p - start);
    list.m_line = line;
    Step(list.m_rows, section, kind);
    ++list.m_entries;
    ++list.m_references;
  }

  static void Put(CDanglingList& list, const CEntry& e) {
    uint8_t flags = e.form;
    const bool texts = e.section < 0 || e.kind < 0;
    if (texts) flags |= kTexts;
    else flags |= RowsFlag(list.m_rows, e.section, e.kind);
    const long long lineStep = static_cast<long long>(static_cast<uint64_t>(e.line) - static_cast<uint64_t>(list.m_line));
    flags |= LineFlag(lineStep);
    size_t room = 3 + 5 * kMaxVarint;
    if (texts) room += 2 * kMaxVarint + e.sectionText.size() + e.kindText.size();
    if (e.form == kFormName) room += kMaxVarint + e.name.size();
    char* const start = Room(list, room);
    char* p = start;
    *p++ = static_cast<char>(flags);
    if (!(flags & (kLineSame | kLineNext))) PutSigned(p, lineStep);
    if (texts) {
      PutText(p, e.sectionText);
      PutText(p, e.kindText);
    } else if (!(flags & (kSameRows | kRowsBack))) {
      *p++ = static_cast<char>(e.section);
      *p++ = static_cast<char>(e.kind);
    }
    switch (e.form) {
      case kFormName: PutText(p, e.name); break;
      case kFormNumber: PutSigned(p, e.first); break;
      default:
        PutSigned(p, e.first);
        PutSigned(p, e.last);
        PutSigned(p, e.step);
        PutVarint(p, static_cast<uint64_t>(e.count));
        break;
    }
    list.m_used += static_cast<size_t>(p - start);
    list.m_line = e.line;
    Step(list.m_rows, texts ? -1 : e.section, texts ? -1 : e.kind);
    ++list.m_entries;
    list.m_references += e.form == kFormRun ? e.count : 1;
  }

  // Reads the entry at pos; line and rows carry the last entries' and are
  // updated.
  static void Get(std::string_view in, size_t& pos, long long& line, CDanglingRows& rows, CEntry& e) {
    const auto flags = static_cast<uint8_t>(in[pos++]);
    const long long step = flags & kLineSame ? 0 : flags & kLineNext ? 1 : GetSigned(in, pos);
    line = static_cast<long long>(static_cast<uint64_t>(line) + static_cast<uint64_t>(step));
    e.line = line;
    int section, kind;
    if (flags & kTexts) {
      section = kind = -1;
      e.sectionText = GetText(in, pos);
      e.kindText = GetText(in, pos);
    } else {
      if (flags & kSameRows) {
        section = rows.section;
        kind = rows.kind;
      } else if (flags & kRowsBack) {
        section = rows.section2;
        kind = rows.kind2;
      } else {
        section = static_cast<uint8_t>(in[pos++]);
        kind = static_cast<uint8_t>(in[pos++]);
      }
      // Rows read back are those put, so in their tables.
      if (section >= 0 && section < kRuleCount && kind >= 0 && kind < kKindCount) {
        e.sectionText = kRules[section].keyword;
        e.kindText = kKindNames[kind];
      }
    }
    Step(rows, section, kind);
    e.section = section;
    e.kind = kind;
    e.form = flags & kFormMask;
    e.name = {};
    e.first = e.last = e.step = 0;
    e.count = 1;
    switch (e.form) {
      case kFormName: e.name = GetText(in, pos); break;
      case kFormNumber: e.first = GetSigned(in, pos); break;
      default:
        e.first = GetSigned(in, pos);
        e.last = GetSigned(in, pos);
        e.step = GetSigned(in, pos);
        e.count = static_cast<long long>(GetVarint(in, pos));
        break;
    }
  }

  // Decodes the entry at the iterator's place into it.
  static void Load(CDanglingList::const_iterator& it);
};

using CEntry = CDanglingCodec::CEntry;

struct CNameHash {
  using is_transparent = void;
  size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
};
using CNameSet = std::unordered_set<std::string, CNameHash, std::equal_to<>>;

// The references of a text that wait for its end, in file order, in at most
// about `budget` bytes. The list is cut into blocks of about kBlockBytes,
// each with the numbers its entries refer to, so that Resolve passes over a
// block whose numbers are all defined by then without reading its entries
// again (the references of a long section to what a later one defines).
class CPendingList {
 public:
  explicit CPendingList(size_t budget) : m_budget(budget) {}

  // No more entries should be added: the list holds its budget.
  bool Full() const { return m_list.Bytes() >= m_budget; }
  void Add(const CEntry& e) {
    if (e.form == CDanglingCodec::kFormNumber && e.section >= 0 && e.kind >= 0) {
      AddNumber(e.line, e.section, e.kind, e.first);
      return;
    }
    CurrentBlock().decode = true;
    CDanglingCodec::Put(m_list, e);
  }
  // A single missing number of a section and kind by rows.
  void AddNumber(long long line, int section, int kind, long long v) {
    CBlock& b = CurrentBlock();
    if (!b.decode) {
      if (v >= -kKeyRange && v < kKeyRange) {
        // Kept about once: a key met lately, by its slot, is not kept again.
        const uint64_t key = (static_cast<uint64_t>(v) << 5) | static_cast<uint64_t>(kind);
        uint64_t& slot = m_slots[static_cast<size_t>((key * 0x9E3779B97F4A7C15ull) >> 54)];
        if (slot != key) {
          slot = key;
          if (b.keys.size() >= kMaxKeys) b.decode = true;
          else b.keys.push_back(key);
        }
      } else {
        b.decode = true;
      }
    }
    CDanglingCodec::PutNumber(m_list, line, section, kind, v);
  }
  // The entries whose numbers and names the text does not define, given
  // all it defines, in file order: a run as the runs between its numbers
  // defined. Empties the list.
  CDanglingList Resolve(const CNumberSet (&numbers)[kKindCount], const CNameSet (&names)[kKindCount]);

 private:
  static constexpr size_t kBlockBytes = size_t{64} << 10;
  static constexpr size_t kKeySlots = 1024;
  static constexpr size_t kMaxKeys = 4096;  // per block; beyond, the block is read again
  static constexpr long long kKeyRange = 1LL << 57;  // numbers kept with a kind in 64 bits
  static constexpr uint64_t kNoKey = ~uint64_t{0};
  struct CBlock {
    size_t begin = 0;     // its first entry in the list
    long long line = 0;   // line and rows on which that entry builds
    CDanglingRows rows;
    bool decode = false;  // holds a name, a run, or more numbers than kept
    std::vector<uint64_t> keys;  // number << 5 | kind of its single references
  };

  CBlock& CurrentBlock() {
    if (m_blocks.empty() || m_list.Bytes() - m_blocks.back().begin >= kBlockBytes) OpenBlock();
    return m_blocks.back();
  }
  void OpenBlock();
  // The numbers of run not defined, into out.
  void ResolveRun(CDanglingList& out, const CEntry& run, const CNumberSet& defined);

  CDanglingList m_list;
  size_t m_budget;
  std::vector<CBlock> m_blocks;
  std::vector<uint64_t> m_slots = std::vector<uint64_t>(kKeySlots, kNoKey);  // the last block's keys
  std::vector<long long> m_defined;  // places on a run of numbers defined
};

}  // namespace hvx::qsxcheck
