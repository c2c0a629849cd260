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

#include <cstddef>
#include <map>
#include <optional>
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

struct StringMgrCounts {
  int allocations = 0, frees = 0, reallocations = 0, refused = 0, nil = 0, clones = 0;
};

class TestStringMgr final : public IStringMgr {
 public:
  TestStringMgr();
  ~TestStringMgr();
  TestStringMgr(const TestStringMgr&) = delete;
  TestStringMgr& operator=(const TestStringMgr&) = delete;

  StringData* Allocate(int nAllocLength, int nCharSize) override;
  void Free(StringData* pData) override;
  StringData* Reallocate(StringData* pData, int nAllocLength, int nCharSize) override;
  StringData* GetNilString() override;
  IStringMgr* Clone() override;

  // Allocate and Reallocate give NULL once this many more have succeeded
  // (0: from the next one on); negative: never.
  int refuseAfter = -1;
  StringMgrCounts counts;

  StringData* Nil() { return &m_nil.data; }
  // A live block of this manager (or the nil string), its guards intact.
  bool Owns(const StringData* data) const;
  // Blocks handed out and not freed.
  size_t Live() const;
  // Faults noted so far, plus a guard overwritten in any live block and the
  // nil string's owners off their starting count (when `settled`: every
  // string of this manager released).
  std::vector<std::string> Faults(bool settled) const;

 private:
  struct Block {
    std::vector<unsigned char> bytes;  // guard, header, characters and NUL, guard
    bool live = true;
  };
  struct NilBlock {
    StringData data;
    char chars[8];
  };
  StringData* Add(int nAllocLength);
  bool GuardsIntact(const Block& b) const;

  std::map<const StringData*, Block> m_blocks;  // every block ever handed out
  NilBlock m_nil;
  std::vector<std::string> m_faults;
};

// A CStringA of the host: one pointer, to the characters.
class CStringA {
 public:
  explicit CStringA(IStringMgr& manager);  // empty: the nil string
  CStringA(IStringMgr& manager, std::string_view text);
  CStringA(const CStringA& other);  // shares the block (copies a locked one)
  ~CStringA();
  CStringA& operator=(const CStringA&) = delete;

  StringData* Data() const { return reinterpret_cast<StringData*>(m_pszData) - 1; }
  std::string_view Text() const { return {m_pszData, static_cast<size_t>(Data()->nDataLength)}; }
  // The block made the string's own and locked, with room for at least
  // `length` characters; Unlock gives it back to sharing.
  void Lock(int length);
  void Unlock();

 private:
  void Assign(std::string_view text);
  char* m_pszData;
};
static_assert(sizeof(CStringA) == sizeof(void*), "a CStringA is one pointer");

// What is wrong with a host string after a call: its header, length,
// terminator, the block (its manager's, live, guards intact) and the text
// expected, when one is given. Empty when sound.
std::vector<std::string> CheckString(const CStringA& s, const TestStringMgr& manager,
                                     std::optional<std::string_view> expected, const char* name);

// ConvertFile2 as an MFC host calls it.
using ConvertFile2Fn = int(__cdecl*)(CStringA& outputPath, CStringA& resultPath);

}  // namespace hosttest
