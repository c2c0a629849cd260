#include "platform/win32.h"
// (windows.h first, through platform/win32.h.)
#include <string>

#include "platform/dynlib.h"
#include "platform/winpath.h"
#include "platform/wintext.h"

namespace hvx {

const char* CatalogueFileName() {
  static const std::string name = std::string("Convert") + "msg" + ".DLL";
  return name.c_str();
}

// By name first: the system's search order for libraries applies (the host
// program's folder first). A name without a folder that is not found there is
// looked for beside this module, so a plug-in kept in a folder of its own
// finds the catalogue beside it.
void* OpenLibrary(const std::string& name) {
  const std::wstring wide = Utf8ToWide(name);
  if (const HMODULE found = ::LoadLibraryW(wide.c_str())) return found;
  if (name.find_first_of("\\/:") != std::string::npos) return nullptr;
  const std::wstring beside = OwnFolder() + wide;
  return ::LoadLibraryExW(beside.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

void* FindSymbol(void* library, const char* name) {
  return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(library), name));
}

void CloseLibrary(void* library) { ::FreeLibrary(static_cast<HMODULE>(library)); }

}  // namespace hvx
