// The progress line, driven by a hand-set clock: what reaches the terminal and
// when.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/progress.h"
#include "tests/case_files.h"
#include "tests/testutil.h"

using namespace hvx;

namespace {

TEST(ProgressLine, RedrawsAtMostTenTimesASecondAndClearsAtTheEnd) {
  double now = 0.0;
  std::string terminal;
  hvx::CProgressLine line([&](std::string_view s) { terminal.append(s); }, [&] { return now; });
  // Nothing drawn, nothing cleared.
  line.Begin("small.hvt");
  line.End();
  EXPECT_EQ("", terminal);
  line.Begin("big.hvt");
  // Each case of tables/progress.txt, in order.
  for (const hvxtest::CaseRecord& s : hvxtest::ReadCases("progress.txt", {"at", "bytes", "section", "terminal"})) {
    SCOPED_TRACE(s.where);
    now = std::stod(s.Get("at"));
    terminal.clear();
    hvx::CProgress p;
    p.modelBytes = 1000;
    p.bytesRead = static_cast<uint64_t>(s.Int("bytes", 1000));
    const std::string section = s.Get("section");
    p.section = s.Has("section") ? section.c_str() : nullptr;
    line.Update(p);
    EXPECT_EQ(s.Get("terminal"), terminal);
  }
  terminal.clear();
  line.End();
  EXPECT_EQ("\r" + std::string(23, ' ') + "\r", terminal);
  terminal.clear();
  line.End();  // nothing left to clear
  EXPECT_EQ("", terminal);
}

}  // namespace
