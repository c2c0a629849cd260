#include <dlfcn.h>

#include <string>
#include <vector>

#include "platform/dynlib.h"

namespace hvx {

const char* CatalogueFileName() {
  // "Convert" + "msg" with the platform's library prefix and suffix.
  static const std::string name = std::string("lib") + "Convert" + "msg" + ".so";
  return name.c_str();
}

namespace {
// The folders the dynamic linker searches for libraries this module needs:
// its RUNPATH ($ORIGIN expanded), LD_LIBRARY_PATH and the system's.
std::vector<std::string> SearchFolders() {
  std::vector<std::string> folders;
  Dl_info info{};
  if (!dladdr(reinterpret_cast<void*>(&SearchFolders), &info) || !info.dli_fname) return folders;
  // A library by its name; the program itself has no name dlopen takes.
  void* self = dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD);
  if (!self) self = dlopen(nullptr, RTLD_NOW);
  if (!self) return folders;
  Dl_serinfo size{};
  if (dlinfo(self, RTLD_DI_SERINFOSIZE, &size) == 0 && size.dls_size >= sizeof(Dl_serinfo)) {
    std::vector<unsigned char> buffer(size.dls_size);
    auto* paths = reinterpret_cast<Dl_serinfo*>(buffer.data());
    *paths = size;
    if (dlinfo(self, RTLD_DI_SERINFO, paths) == 0)
      for (unsigned i = 0; i < paths->dls_cnt; ++i) folders.emplace_back(paths->dls_serpath[i].dls_name);
  }
  dlclose(self);
  return folders;
}
}  // namespace

void* OpenLibrary(const std::string& name) {
  // By name through the library search order (our RUNPATH names the folder of
  // the catalogue); when an interposed dlopen (sanitizer runtimes) looks past
  // our RUNPATH, the same search done here.
  void* h = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (h || name.find('/') != std::string::npos) return h;
  for (const std::string& folder : SearchFolders())
    if ((h = dlopen((folder + "/" + name).c_str(), RTLD_NOW | RTLD_LOCAL))) break;
  return h;
}

void* FindSymbol(void* library, const char* name) { return dlsym(library, name); }

void CloseLibrary(void* library) { dlclose(library); }

}  // namespace hvx
