#include "api/msgdll.h"

#include <string>

#include "base/msgcat.h"
#include "platform/dynlib.h"

namespace hvx {
namespace {
void* g_handle = nullptr;
}

const char* CMsgDll::DefaultName() { return CatalogueFileName(); }

int CMsgDll::Load(const char* name) {
  if (g_handle) return 1;
  void* h = OpenLibrary(name ? name : DefaultName());
  if (!h) return 0;
  void* sym = FindSymbol(h, "LoadStr");
  if (!sym) {
    SetLoadStr(&FallbackLoadStr);
    CloseLibrary(h);
    return 0;
  }
  g_handle = h;
  SetLoadStr(reinterpret_cast<LoadStrFn>(sym));
  return 1;
}

int CMsgDll::Unload() {
  if (g_handle) {
    SetLoadStr(&FallbackLoadStr);
    CloseLibrary(g_handle);
    g_handle = nullptr;
  }
  return 1;
}


}  // namespace hvx
