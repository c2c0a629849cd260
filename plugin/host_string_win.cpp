#include "platform/win32.h"
// (windows.h first, through platform/win32.h.)

#include "plugin/host_string_win.h"

#include <climits>
#include <cstring>

namespace hvx {
namespace {

// One owner fewer; the last one gives the block back to its manager. Never
// called for a locked block.
void Release(CHostStringData* data) {
  if (::InterlockedDecrement(&data->nRefs) <= 0) data->pStringMgr->Free(data);
}

}  // namespace

bool CHostString::Reserve(size_t length) noexcept {
  if (length > static_cast<size_t>(INT_MAX)) return false;
  if (length == 0) return true;  // the nil string needs no room
  CHostStringData* old = Data();
  const int n = static_cast<int>(length);
  if (old->IsShared()) {
    // Shared (the nil string always is): a block of its own from the
    // manager's clone, with the text so far, then one owner fewer of the old.
    IHostStringMgr* manager = old->pStringMgr->Clone();
    const int room = n > old->nDataLength ? n : old->nDataLength;
    CHostStringData* fresh = manager ? manager->Allocate(room, 1) : nullptr;
    if (!fresh) return false;
    std::memcpy(fresh->data(), old->data(), static_cast<size_t>(old->nDataLength) + 1);
    fresh->nDataLength = old->nDataLength;
    Release(old);
    Attach(fresh);
  } else if (old->nAllocLength < n) {
    // The manager keeps the header and the text when it moves the block.
    CHostStringData* grown = old->pStringMgr->Reallocate(old, n, 1);
    if (!grown) return false;
    Attach(grown);
  }
  return true;
}

void CHostString::Write(std::string_view text) noexcept {
  CHostStringData* data = Data();
  if (text.empty()) {
    if (data->nDataLength == 0) return;
    if (data->IsLocked()) {
      data->nDataLength = 0;
      m_pszData[0] = '\0';
      return;
    }
    IHostStringMgr* manager = data->pStringMgr;
    Release(data);
    Attach(manager->GetNilString());
    return;
  }
  std::memcpy(m_pszData, text.data(), text.size());
  m_pszData[text.size()] = '\0';
  data->nDataLength = static_cast<int>(text.size());
}

bool HandBackToHost(const std::optional<std::string>& output, CHostString& outputPath,
                    const std::optional<std::string>& result, CHostString& resultPath) noexcept {
  if (output && !outputPath.Reserve(output->size())) return false;
  if (result && !resultPath.Reserve(result->size())) return false;
  if (output) outputPath.Write(*output);
  if (result) resultPath.Write(*result);
  return true;
}

}  // namespace hvx
