#include "base/msgcat.h"

#include <mutex>

namespace hvx {
namespace {
std::mutex& LookupLock() {
  static std::mutex lock;
  return lock;
}
LoadStrFn g_loadStr = &FallbackLoadStr;
}  // namespace

const char* FallbackLoadStr(const char*) { return kFallbackText; }

void SetLoadStr(LoadStrFn fn) {
  const std::lock_guard<std::mutex> hold(LookupLock());
  g_loadStr = fn ? fn : &FallbackLoadStr;
}

std::string LookupMessage(const char* id) {
  const std::lock_guard<std::mutex> hold(LookupLock());
  const char* text = g_loadStr(id);
  return text ? std::string(text) : std::string();
}

}  // namespace hvx
