// The host's 8-bit strings on Windows, by their documented layout: the host
// is an MFC application built with Microsoft's compiler and passes
// ConvertFile2 its own CStringA objects by reference. No MFC or ATL header is
// used; this is the layout Microsoft documents for CStringData,
// IAtlStringMgr and CSimpleStringT, and the way CSimpleStringT assigns.
//
// A string object is one pointer, to its characters. The header stands right
// before them and its block comes from the string's own manager:
//
//   CHostStringData   pStringMgr    the manager that allocated the block
//                     nDataLength   characters in use, without the NUL
//                     nAllocLength  characters there is room for, without the NUL
//                     nRefs         owners; above 1 shared, below 0 locked
//   char[nAllocLength + 1]
//
// 24 bytes of header on x64, 16 on x86 (long is 32 bits on Windows).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace hvx {

class IHostStringMgr;

// CStringData: the header of a string's block.
struct CHostStringData {
  IHostStringMgr* pStringMgr;
  int nDataLength;
  int nAllocLength;
  long nRefs;

  char* data() { return reinterpret_cast<char*>(this + 1); }
  bool IsShared() const { return nRefs > 1; }
  bool IsLocked() const { return nRefs < 0; }
};
static_assert(sizeof(long) == 4, "long is 32 bits on Windows");
static_assert(sizeof(CHostStringData) == (sizeof(void*) == 8 ? 24 : 16), "the documented header size");

// IAtlStringMgr: exactly these five virtual functions in this order and no
// virtual destructor. g++ lays such a class out and calls it as Microsoft's
// compiler does (this-call on x86), as COM interfaces rely on.
class IHostStringMgr {
 public:
  virtual CHostStringData* Allocate(int nAllocLength, int nCharSize) = 0;
  virtual void Free(CHostStringData* pData) = 0;
  virtual CHostStringData* Reallocate(CHostStringData* pData, int nAllocLength, int nCharSize) = 0;
  virtual CHostStringData* GetNilString() = 0;
  virtual IHostStringMgr* Clone() = 0;

 protected:
  ~IHostStringMgr() = default;
};

// A CStringA of the host, reached only by reference: the plug-in never makes
// one. Every block it attaches comes from the string's manager; nothing of
// the plug-in's heap ends up in it.
class CHostString {
 public:
  CHostString() = delete;
  CHostString(const CHostString&) = delete;
  CHostString& operator=(const CHostString&) = delete;
  ~CHostString() = delete;

  std::string_view Text() const { return {m_pszData, static_cast<size_t>(Data()->nDataLength)}; }

  // Makes the block the string's own with room for `length` characters,
  // keeping its text: a shared block is replaced by one of the manager's
  // clone, a short one grown by the manager; a locked one long enough stays
  // as it is. False, with the string as it was, when the manager has no
  // memory (or the length does not fit its int).
  bool Reserve(size_t length) noexcept;
  // The text in place of the old one, after Reserve(text.size()); an empty
  // text attaches the manager's nil string instead (a locked string is
  // emptied in place).
  void Write(std::string_view text) noexcept;

 private:
  CHostStringData* Data() const { return reinterpret_cast<CHostStringData*>(m_pszData) - 1; }
  void Attach(CHostStringData* data) { m_pszData = data->data(); }

  char* m_pszData;
};
static_assert(sizeof(CHostString) == sizeof(void*), "a CStringA is one pointer");

// Hands the paths a call sets to the host: each string that has a value is
// assigned, each without one is not touched at all. Room for both is made
// first, so when the host's manager has no memory neither text changes and
// the result is false.
bool HandBackToHost(const std::optional<std::string>& output, CHostString& outputPath,
                    const std::optional<std::string>& result, CHostString& resultPath) noexcept;

}  // namespace hvx
