// libFuzzer entry point of the QSX reference check: any bytes are checked once
// whole and once fed in pieces whose sizes come from the input itself; both
// must give the same findings, every finding must lie on a line of the text,
// a run must hold at least kMinRun numbers that end where its step says, the
// references must add up to the list's count, and nothing may crash, hang or
// leak.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "check/qsxcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  hvx::CQsxChecker whole;
  whole.Feed(text);
  const auto expected = whole.Finish();
  const long long lines = whole.Stats().lines;

  hvx::CQsxChecker pieces;
  size_t pos = 0;
  unsigned step = size > 0 ? data[0] : 1;
  while (pos < size) {
    const size_t n = 1 + (step % 97);
    pieces.Feed(text.substr(pos, n));
    pos += n;
    step = step * 131 + 7;
  }
  const auto got = pieces.Finish();
  if (got != expected || pieces.Stats().lines != lines || pieces.Verdict() != whole.Verdict()) std::abort();
  long long references = 0;
  for (const auto& d : expected) {
    if (d.line < 1 || d.line > lines || d.kind.empty() || d.section.empty()) std::abort();
    if (d.IsRun()) {
      if (d.count < hvx::CDangling::kMinRun || d.step == 0 || !d.name.empty()) std::abort();
      // last = first + step * (count - 1), in the wrap-around arithmetic the
      // run's numbers never leave.
      const auto span = static_cast<uint64_t>(d.step) * static_cast<uint64_t>(d.count - 1);
      if (static_cast<uint64_t>(d.first) + span != static_cast<uint64_t>(d.last)) std::abort();
    } else if (d.name.empty() || d.count != 1) {
      std::abort();
    }
    references += d.count;
  }
  if (references != expected.References()) std::abort();
  return 0;
}
