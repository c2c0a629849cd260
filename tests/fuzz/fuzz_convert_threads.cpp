// libFuzzer entry point: the conversion on two threads, cut into small
// pieces; see fuzz_body.h.
#include "tests/fuzz/fuzz_body.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  hvxfuzz::ConvertBytes(data, size, true);
  return 0;
}
