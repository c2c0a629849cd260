#include <dlfcn.h>

#include <string>

#include "host/dynlib.h"

namespace hvx {

const char* CatalogueFileName() {
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

void* OpenLibrary(const std::string& name) {
  // By name through the library search order (our RUNPATH names our own
  // folder); when an interposed dlopen (sanitizer runtimes) hides our RUNPATH,
  // the same file beside this module.
  void* h = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!h && name.find('/') == std::string::npos) {
    const std::string folder = OwnFolder();
    if (!folder.empty()) h = dlopen((folder + name).c_str(), RTLD_NOW | RTLD_LOCAL);
  }
  return h;
}

void* FindSymbol(void* library, const char* name) { return dlsym(library, name); }

void CloseLibrary(void* library) { dlclose(library); }

}  // namespace hvx
