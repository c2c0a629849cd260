// libFuzzer entry point: the conversion on one thread, or (HVX_FUZZ_THREADED
// 1, fuzz_convert_threads) on two threads cut into small pieces; see fuzz_body.h.
#include "tests/fuzz/fuzz_body.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  hvxfuzz::ConvertBytes(data, size, HVX_FUZZ_THREADED);
  return 0;
}
