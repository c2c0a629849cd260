#include "base/msgcat.h"

namespace hvx {
namespace {
LoadStrFn g_loadStr = &FallbackLoadStr;
}

const char* FallbackLoadStr(const char*) { return kFallbackText; }
LoadStrFn CurrentLoadStr() { return g_loadStr; }
void SetLoadStr(LoadStrFn fn) { g_loadStr = fn ? fn : &FallbackLoadStr; }

}  // namespace hvx
