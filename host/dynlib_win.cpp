#include "host/win32.h"
// (windows.h first, through host/win32.h.)
#include <string>

#include "host/dynlib.h"

namespace hvx {

const char* CatalogueFileName() {
  static const std::string name = std::string("Convert") + "msg" + ".DLL";
  return name.c_str();
}

// By name only: the system's search order for libraries applies (the host
// program's folder first).
void* OpenLibrary(const std::string& name) { return ::LoadLibraryA(name.c_str()); }

void* FindSymbol(void* library, const char* name) {
  return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(library), name));
}

void CloseLibrary(void* library) { ::FreeLibrary(static_cast<HMODULE>(library)); }

}  // namespace hvx
