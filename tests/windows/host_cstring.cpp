#include "tests/windows/host_cstring.h"

#include <windows.h>

#include <cstring>

namespace hosttest {
namespace {
constexpr size_t kGuard = 16;
constexpr unsigned char kGuardByte = 0xFD, kFreshByte = 0xCD, kFreedByte = 0xDD;

size_t BlockBytes(int nAllocLength) {
  return 2 * kGuard + sizeof(StringData) + static_cast<size_t>(nAllocLength) + 1;
}
void Release(StringData* data) {
  if (InterlockedDecrement(&data->nRefs) <= 0) data->pStringMgr->Free(data);
}
}  // namespace

TestStringMgr::TestStringMgr() : m_nil{{this, 0, 0, 2}, {}} {}

TestStringMgr::~TestStringMgr() = default;

StringData* TestStringMgr::Add(int nAllocLength) {
  std::vector<unsigned char> bytes(BlockBytes(nAllocLength), kFreshByte);
  std::memset(bytes.data(), kGuardByte, kGuard);
  std::memset(bytes.data() + bytes.size() - kGuard, kGuardByte, kGuard);
  auto* data = reinterpret_cast<StringData*>(bytes.data() + kGuard);
  *data = StringData{this, 0, nAllocLength, 1};
  data->Chars()[0] = '\0';
  m_blocks[data] = Block{std::move(bytes), true};  // the vector's buffer moves with it
  return data;
}

bool TestStringMgr::GuardsIntact(const Block& b) const {
  for (size_t i = 0; i < kGuard; ++i)
    if (b.bytes[i] != kGuardByte || b.bytes[b.bytes.size() - 1 - i] != kGuardByte) return false;
  return true;
}

StringData* TestStringMgr::Allocate(int nAllocLength, int nCharSize) {
  if (nCharSize != 1 || nAllocLength < 0) {
    m_faults.push_back("Allocate(" + std::to_string(nAllocLength) + ", " + std::to_string(nCharSize) + ")");
    return nullptr;
  }
  if (refuseAfter == 0) return ++counts.refused, nullptr;
  if (refuseAfter > 0) --refuseAfter;
  ++counts.allocations;
  return Add(nAllocLength);
}

void TestStringMgr::Free(StringData* pData) {
  ++counts.frees;
  if (pData == Nil()) return m_faults.push_back("the nil string freed");
  const auto it = m_blocks.find(pData);
  if (it == m_blocks.end()) return m_faults.push_back("Free of a block this manager never handed out");
  Block& b = it->second;
  if (!b.live) return m_faults.push_back("a block freed twice");
  if (!GuardsIntact(b)) m_faults.push_back("a guard overwritten in a block freed");
  if (pData->nRefs > 0) m_faults.push_back("a block freed with " + std::to_string(pData->nRefs) + " owners");
  b.live = false;
  std::memset(b.bytes.data() + kGuard, kFreedByte, b.bytes.size() - 2 * kGuard);
}

StringData* TestStringMgr::Reallocate(StringData* pData, int nAllocLength, int nCharSize) {
  const auto it = m_blocks.find(pData);
  if (pData == Nil() || it == m_blocks.end() || !it->second.live) {
    m_faults.push_back("Reallocate of the nil string, a freed block or one not of this manager");
    return nullptr;
  }
  if (pData->nRefs > 1) m_faults.push_back("Reallocate of a shared block");
  if (nCharSize != 1 || nAllocLength < 0) {
    m_faults.push_back("Reallocate(" + std::to_string(nAllocLength) + ", " + std::to_string(nCharSize) + ")");
    return nullptr;
  }
  if (refuseAfter == 0) return ++counts.refused, nullptr;
  if (refuseAfter > 0) --refuseAfter;
  ++counts.reallocations;
  if (!GuardsIntact(it->second)) m_faults.push_back("a guard overwritten in a block reallocated");
  StringData* fresh = Add(nAllocLength);
  const int keep = pData->nAllocLength < nAllocLength ? pData->nAllocLength : nAllocLength;
  std::memcpy(fresh, pData, sizeof(StringData) + static_cast<size_t>(keep) + 1);
  fresh->nAllocLength = nAllocLength;
  Block& old = m_blocks.find(pData)->second;
  old.live = false;
  std::memset(old.bytes.data() + kGuard, kFreedByte, old.bytes.size() - 2 * kGuard);
  return fresh;
}

StringData* TestStringMgr::GetNilString() {
  ++counts.nil;
  InterlockedIncrement(&m_nil.data.nRefs);
  return Nil();
}

IStringMgr* TestStringMgr::Clone() {
  ++counts.clones;
  return this;
}

bool TestStringMgr::Owns(const StringData* data) const {
  if (data == &m_nil.data) return true;
  const auto it = m_blocks.find(data);
  return it != m_blocks.end() && it->second.live && GuardsIntact(it->second);
}

size_t TestStringMgr::Live() const {
  size_t n = 0;
  for (const auto& [data, block] : m_blocks) n += block.live;
  return n;
}

std::vector<std::string> TestStringMgr::Faults(bool settled) const {
  std::vector<std::string> faults = m_faults;
  for (const auto& [data, block] : m_blocks)
    if (block.live && !GuardsIntact(block)) faults.push_back("a guard overwritten in a live block");
  const NilBlock& nil = m_nil;
  bool nilClean = nil.data.pStringMgr == this && nil.data.nDataLength == 0 && nil.data.nAllocLength == 0;
  for (char c : nil.chars) nilClean = nilClean && c == '\0';
  if (!nilClean) faults.push_back("the nil string written to");
  if (settled && nil.data.nRefs != 2)
    faults.push_back("the nil string has " + std::to_string(nil.data.nRefs) + " owners, not 2, when all are released");
  if (settled && Live() != 0) faults.push_back(std::to_string(Live()) + " blocks not freed");
  return faults;
}

CStringA::CStringA(IStringMgr& manager) : m_pszData(manager.GetNilString()->Chars()) {}

CStringA::CStringA(IStringMgr& manager, std::string_view text) : CStringA(manager) { Assign(text); }

CStringA::CStringA(const CStringA& other) : m_pszData(other.m_pszData) {
  StringData* data = other.Data();
  if (data->nRefs >= 0) {
    InterlockedIncrement(&data->nRefs);
  } else {
    m_pszData = data->pStringMgr->GetNilString()->Chars();
    Assign(other.Text());
  }
}

CStringA::~CStringA() {
  Unlock();
  Release(Data());
}

void CStringA::Assign(std::string_view text) {
  if (text.empty()) return;
  StringData* old = Data();
  StringData* data = old->pStringMgr->Allocate(static_cast<int>(text.size()), 1);
  std::memcpy(data->Chars(), text.data(), text.size());
  data->Chars()[text.size()] = '\0';
  data->nDataLength = static_cast<int>(text.size());
  Release(old);
  m_pszData = data->Chars();
}

void CStringA::Lock(int length) {
  StringData* data = Data();
  if (data->nRefs > 1 || data->nAllocLength < length) {
    const int room = length > data->nDataLength ? length : data->nDataLength;
    StringData* fresh = data->pStringMgr->Allocate(room, 1);
    std::memcpy(fresh->Chars(), data->Chars(), static_cast<size_t>(data->nDataLength) + 1);
    fresh->nDataLength = data->nDataLength;
    Release(data);
    m_pszData = fresh->Chars();
    data = fresh;
  }
  data->nRefs = -1;
}

void CStringA::Unlock() {
  if (Data()->nRefs < 0) Data()->nRefs = 1;
}

std::vector<std::string> CheckString(const CStringA& s, const TestStringMgr& manager,
                                     std::optional<std::string_view> expected, const char* name) {
  std::vector<std::string> bad;
  const auto note = [&](const std::string& what) { bad.push_back(std::string(name) + ": " + what); };
  StringData* d = s.Data();
  if (!manager.Owns(d)) return note("not a live, intact block of the host's manager"), bad;
  if (d->pStringMgr != &manager) note("the header names another manager");
  if (d->nDataLength < 0 || d->nDataLength > d->nAllocLength)
    return note("length " + std::to_string(d->nDataLength) + " for room " + std::to_string(d->nAllocLength)), bad;
  if (d->Chars()[d->nDataLength] != '\0') note("no NUL after its " + std::to_string(d->nDataLength) + " characters");
  if (std::strlen(d->Chars()) != static_cast<size_t>(d->nDataLength)) note("a NUL inside its length");
  if (d->nRefs == 0) note("no owner");
  if (expected && s.Text() != *expected) {
    std::string what = "\"";
    what.append(s.Text()).append("\", expected \"").append(*expected) += '"';
    note(what);
  }
  return bad;
}

}  // namespace hosttest
