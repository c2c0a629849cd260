// The test host's 8-bit strings, as an MFC host of a multi-byte build has
// them (CStringA), made here from Microsoft's public description of the
// layout and nothing of the plug-in: an object is one pointer to its
// characters, the header (manager, length, room, owners) right before them,
// every block from the string's manager.
//
// The manager is the test's own: it counts what is asked of it, puts guard
// bytes around every block, poisons what it hands out and what is freed
// (freed blocks stay poisoned, never reused, until the manager goes), can
// refuse to allocate, and notes every fault: a block freed twice or not its
// own, the nil string freed, a shared block reallocated, a guard overwritten.
#pragma once

#include <windows.h>

#include <cstring>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace hosttest {

class IStringMgr;

struct StringData {
  IStringMgr* pStringMgr;
  int nDataLength;
  int nAllocLength;
  long nRefs;
  char* Chars() { return reinterpret_cast<char*>(this + 1); }
};
static_assert(sizeof(StringData) == (sizeof(void*) == 8 ? 24 : 16), "the documented header size");

// Five virtual functions in this order, no virtual destructor.
class IStringMgr {
 public:
  virtual StringData* Allocate(int nAllocLength, int nCharSize) = 0;
  virtual void Free(StringData* pData) = 0;
  virtual StringData* Reallocate(StringData* pData, int nAllocLength, int nCharSize) = 0;
  virtual StringData* GetNilString() = 0;
  virtual IStringMgr* Clone() = 0;

 protected:
  ~IStringMgr() = default;
};

inline void Release(StringData* data) {
  if (InterlockedDecrement(&data->nRefs) <= 0) data->pStringMgr->Free(data);
}

struct StringMgrCounts {
  int allocations = 0, frees = 0, reallocations = 0, refused = 0;
};

class TestStringMgr final : public IStringMgr {
 public:
  TestStringMgr() = default;
  TestStringMgr(const TestStringMgr&) = delete;
  TestStringMgr& operator=(const TestStringMgr&) = delete;

  // Allocate and Reallocate give NULL once this many more have succeeded
  // (0: from the next one on); negative: never.
  int refuseAfter = -1;
  StringMgrCounts counts;

  StringData* Allocate(int nAllocLength, int nCharSize) override {
    if (!Grant("Allocate", nAllocLength, nCharSize)) return nullptr;
    ++counts.allocations;
    return Add(nAllocLength);
  }
  void Free(StringData* pData) override {
    ++counts.frees;
    if (pData == Nil()) return m_faults.push_back("the nil string freed");
    const auto it = m_blocks.find(pData);
    if (it == m_blocks.end()) return m_faults.push_back("Free of a block this manager never handed out");
    if (!it->second.live) return m_faults.push_back("a block freed twice");
    if (pData->nRefs > 0) m_faults.push_back("a block freed with " + std::to_string(pData->nRefs) + " owners");
    Retire(it->second);
  }
  StringData* Reallocate(StringData* pData, int nAllocLength, int nCharSize) override {
    const auto it = m_blocks.find(pData);
    if (pData == Nil() || it == m_blocks.end() || !it->second.live)
      return m_faults.push_back("Reallocate of the nil string, a freed block or one not of this manager"), nullptr;
    if (pData->nRefs > 1) m_faults.push_back("Reallocate of a shared block");
    if (!Grant("Reallocate", nAllocLength, nCharSize)) return nullptr;
    ++counts.reallocations;
    StringData* fresh = Add(nAllocLength);
    const int keep = pData->nAllocLength < nAllocLength ? pData->nAllocLength : nAllocLength;
    std::memcpy(fresh, pData, sizeof(StringData) + static_cast<size_t>(keep) + 1);
    fresh->nAllocLength = nAllocLength;
    Retire(it->second);
    return fresh;
  }
  StringData* GetNilString() override {
    InterlockedIncrement(&m_nil.data.nRefs);
    return Nil();
  }
  IStringMgr* Clone() override { return this; }

  StringData* Nil() { return &m_nil.data; }
  // A live block of this manager (or the nil string), its guards intact.
  bool Owns(const StringData* data) const {
    const auto it = m_blocks.find(data);
    return data == &m_nil.data || (it != m_blocks.end() && it->second.live && GuardsIntact(it->second));
  }
  // Faults noted so far, plus a guard overwritten in any live block, the nil
  // string written to or its owners off their starting count, and blocks not
  // freed (to be asked once every string of this manager is released).
  std::vector<std::string> Faults() const {
    std::vector<std::string> faults = m_faults;
    size_t live = 0;
    for (const auto& [data, block] : m_blocks) {
      live += block.live;
      if (block.live && !GuardsIntact(block)) faults.push_back("a guard overwritten in a live block");
    }
    const StringData& nil = m_nil.data;
    if (nil.pStringMgr != this || nil.nDataLength != 0 || nil.nAllocLength != 0 || nil.nRefs != 2 ||
        std::string_view(m_nil.chars, sizeof m_nil.chars).find_first_not_of('\0') != std::string_view::npos)
      faults.push_back("the nil string written to, or its owners (" + std::to_string(nil.nRefs) + ") not 2");
    if (live != 0) faults.push_back(std::to_string(live) + " blocks not freed");
    return faults;
  }

 private:
  static constexpr size_t kGuard = 16;
  static constexpr unsigned char kGuardByte = 0xFD, kFreshByte = 0xCD, kFreedByte = 0xDD;
  struct Block {
    std::vector<unsigned char> bytes;  // guard, header, characters and NUL, guard
    bool live = true;
  };
  // A call with sound arguments that the manager grants (else a fault noted, or refused).
  bool Grant(const char* call, int nAllocLength, int nCharSize) {
    if (nCharSize != 1 || nAllocLength < 0)
      return m_faults.push_back(std::string(call) + "(" + std::to_string(nAllocLength) + ", " +
                                std::to_string(nCharSize) + ")"),
             false;
    if (refuseAfter == 0) return ++counts.refused, false;
    if (refuseAfter > 0) --refuseAfter;
    return true;
  }
  StringData* Add(int nAllocLength) {
    std::vector<unsigned char> bytes(2 * kGuard + sizeof(StringData) + static_cast<size_t>(nAllocLength) + 1,
                                     kFreshByte);
    std::memset(bytes.data(), kGuardByte, kGuard);
    std::memset(bytes.data() + bytes.size() - kGuard, kGuardByte, kGuard);
    auto* data = reinterpret_cast<StringData*>(bytes.data() + kGuard);
    *data = StringData{this, 0, nAllocLength, 1};
    data->Chars()[0] = '\0';
    m_blocks[data] = Block{std::move(bytes), true};  // the vector's buffer moves with it
    return data;
  }
  bool GuardsIntact(const Block& b) const {
    for (size_t i = 0; i < kGuard; ++i)
      if (b.bytes[i] != kGuardByte || b.bytes[b.bytes.size() - 1 - i] != kGuardByte) return false;
    return true;
  }
  void Retire(Block& b) {
    if (!GuardsIntact(b)) m_faults.push_back("a guard overwritten in a block freed or reallocated");
    b.live = false;
    std::memset(b.bytes.data() + kGuard, kFreedByte, b.bytes.size() - 2 * kGuard);
  }

  std::map<const StringData*, Block> m_blocks;  // every block ever handed out
  struct {
    StringData data;
    char chars[8];
  } m_nil{{this, 0, 0, 2}, {}};
  std::vector<std::string> m_faults;
};

// A CStringA of the host: one pointer, to the characters.
class CStringA {
 public:
  explicit CStringA(IStringMgr& manager) : m_pszData(manager.GetNilString()->Chars()) {}  // empty: the nil string
  CStringA(IStringMgr& manager, std::string_view text) : CStringA(manager) {
    if (!text.empty()) Assign(text);
  }
  // Shares the block (copies a locked one).
  CStringA(const CStringA& other) : m_pszData(other.m_pszData) {
    if (Data()->nRefs >= 0) {
      InterlockedIncrement(&Data()->nRefs);
    } else {
      m_pszData = Data()->pStringMgr->GetNilString()->Chars();
      if (!other.Text().empty()) Assign(other.Text());
    }
  }
  ~CStringA() {
    Unlock();
    Release(Data());
  }
  CStringA& operator=(const CStringA&) = delete;

  StringData* Data() const { return reinterpret_cast<StringData*>(m_pszData) - 1; }
  std::string_view Text() const { return {m_pszData, static_cast<size_t>(Data()->nDataLength)}; }
  // The block made the string's own and locked, with room for at least
  // `length` characters; Unlock gives it back to sharing.
  void Lock(int length) {
    if (Data()->nRefs > 1 || Data()->nAllocLength < length) Assign(Text(), length);
    Data()->nRefs = -1;
  }
  void Unlock() {
    if (Data()->nRefs < 0) Data()->nRefs = 1;
  }

 private:
  // A block of its own from the manager, with the text and room for `room` characters or more.
  void Assign(std::string_view text, int room = 0) {
    StringData* old = Data();
    const int length = static_cast<int>(text.size());
    StringData* data = old->pStringMgr->Allocate(room > length ? room : length, 1);
    std::memcpy(data->Chars(), text.data(), text.size());
    data->Chars()[text.size()] = '\0';
    data->nDataLength = length;
    Release(old);
    m_pszData = data->Chars();
  }
  char* m_pszData;
};
static_assert(sizeof(CStringA) == sizeof(void*), "a CStringA is one pointer");

// What is wrong with a host string after a call, into `bad`: its header,
// length, terminator and block (its manager's, live, guards intact).
inline void CheckString(const CStringA& s, const TestStringMgr& manager, const char* name,
                        std::vector<std::string>& bad) {
  const auto note = [&](const std::string& what) { bad.push_back(std::string(name) + ": " + what); };
  StringData* d = s.Data();
  if (!manager.Owns(d) || d->pStringMgr != &manager)
    return note("not a live, intact block of the host's manager, or its header names another");
  if (d->nDataLength < 0 || d->nDataLength > d->nAllocLength)
    return note("length " + std::to_string(d->nDataLength) + " for room " + std::to_string(d->nAllocLength));
  if (std::string_view(d->Chars(), d->nDataLength + 1u).find('\0') != static_cast<size_t>(d->nDataLength))
    note("a NUL inside its length or none after its " + std::to_string(d->nDataLength) + " characters");
  if (d->nRefs == 0) note("no owner");
}

// ConvertFile2 as an MFC host calls it.
using ConvertFile2Fn = int(__cdecl*)(CStringA& outputPath, CStringA& resultPath);

}  // namespace hosttest
