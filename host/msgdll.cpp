#include "host/msgdll.h"

#include <dlfcn.h>

#include <string>

#include "store/msgcat.h"

namespace hvx {
namespace {
void* g_handle = nullptr;
}

const char* CMsgDll::DefaultName() {
  // "Convert" + "msg" with the platform's library prefix and suffix.
  static const std::string name = std::string("lib") + "Convert" + "msg" + ".so";
  return name.c_str();
}

int CMsgDll::Load(const char* name) {
  if (g_handle) return 1;
  void* h = dlopen(name ? name : DefaultName(), RTLD_NOW | RTLD_LOCAL);
  if (!h) return 0;
  void* sym = dlsym(h, "LoadStr");
  if (!sym) {
    SetLoadStr(&FallbackLoadStr);
    dlclose(h);
    return 0;
  }
  g_handle = h;
  SetLoadStr(reinterpret_cast<LoadStrFn>(sym));
  return 1;
}

int CMsgDll::Unload() {
  if (g_handle) {
    SetLoadStr(&FallbackLoadStr);
    dlclose(g_handle);
    g_handle = nullptr;
  }
  return 1;
}

bool CMsgDll::IsLoaded() { return g_handle != nullptr; }

}  // namespace hvx
