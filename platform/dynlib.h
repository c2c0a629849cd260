// Loading a shared library at run time by name, the platform's way: dlopen on
// POSIX systems (platform/dynlib_posix.cpp), LoadLibrary on Windows
// (platform/dynlib_win.cpp). Names are UTF-8.
#pragma once

#include <string>

namespace hvx {

// The message catalogue's file name on this platform, without a folder, so
// the platform's library search order finds it.
const char* CatalogueFileName();
// The loaded library, or nullptr when it cannot be loaded. A name without a
// folder goes through the platform's search; on Windows, when that fails, the
// folder of the module holding this code is tried as well.
void* OpenLibrary(const std::string& name);
// The address of an export, or nullptr when the library has none of that name.
void* FindSymbol(void* library, const char* name);
void CloseLibrary(void* library);

}  // namespace hvx
