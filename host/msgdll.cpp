#include "host/msgdll.h"

#include <dlfcn.h>

#include <string>

#include "base/msgcat.h"

namespace hvx {
namespace {
void* g_handle = nullptr;
}

const char* CMsgDll::DefaultName() {
  // "Convert" + "msg" with the platform's library prefix and suffix.
  static const std::string name = std::string("lib") + "Convert" + "msg" + ".so";
  return name.c_str();
}

namespace {
// Folder of the module holding this code, with its trailing separator.
std::string OwnFolder() {
  Dl_info info{};
  if (!dladdr(reinterpret_cast<void*>(&OwnFolder), &info) || !info.dli_fname) return std::string();
  const std::string path = info.dli_fname;
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}
}  // namespace

int CMsgDll::Load(const char* name) {
  if (g_handle) return 1;
  const std::string file = name ? name : DefaultName();
  // By name through the library search order (our RUNPATH names our own
  // folder); when an interposed dlopen (sanitizer runtimes) hides our RUNPATH,
  // the same file beside this module.
  void* h = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!h && file.find('/') == std::string::npos) {
    const std::string folder = OwnFolder();
    if (!folder.empty()) h = dlopen((folder + file).c_str(), RTLD_NOW | RTLD_LOCAL);
  }
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
