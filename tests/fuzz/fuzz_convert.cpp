// libFuzzer entry point: the conversion on one thread; see fuzz_body.h.
#include "tests/fuzz/fuzz_body.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  hvxfuzz::ConvertBytes(data, size, false);
  return 0;
}
