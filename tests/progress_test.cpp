// The progress line, driven by a hand-set clock: what reaches the terminal and
// when.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/progress.h"

using namespace hvx;

namespace {

struct Step {
  double at;             // clock reading
  long long bytes;       // bytes read so far, or -1 for a section start
  const char* section;
  const char* expected;  // what is written to the terminal ("" nothing)
};

TEST(ProgressLine, RedrawsAtMostTenTimesASecondAndClearsAtTheEnd) {
  double now = 0.0;
  std::string terminal;
  hvx::CProgressLine line([&](std::string_view s) { terminal.append(s); }, [&] { return now; });
  // Nothing drawn, nothing cleared.
  line.Begin("small.hvt");
  line.End();
  EXPECT_EQ("", terminal);
  line.Begin("big.hvt");
  const std::vector<Step> steps = {
      {0.00, 100, nullptr, "\rreading big.hvt: 10%"},          // the first draw is immediate
      {0.05, 200, nullptr, ""},                                  // too soon
      {0.09, 300, nullptr, ""},                                  // still too soon
      {0.10, 400, nullptr, "\rreading big.hvt: 40%"},
      {0.30, 400, nullptr, ""},                                  // unchanged text is not redrawn
      {0.35, 1000, nullptr, "\rreading big.hvt: 100%"},
      {0.50, -1, "*NODE", "\rwriting big.hvt: *NODE"},
      {0.55, -1, "*ELEMENT", ""},
      {0.70, -1, "*CONSTRAINT", "\rwriting big.hvt: *CONSTRAINT"},
      {0.80, -1, "*GROUP", "\rwriting big.hvt: *GROUP     "},  // blanks cover the longer text
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.at);
    now = s.at;
    terminal.clear();
    hvx::CProgress p;
    p.modelBytes = 1000;
    p.bytesRead = s.bytes >= 0 ? static_cast<uint64_t>(s.bytes) : 1000;
    p.section = s.section;
    line.Update(p);
    EXPECT_EQ(s.expected, terminal);
  }
  terminal.clear();
  line.End();
  EXPECT_EQ("\r" + std::string(23, ' ') + "\r", terminal);
  terminal.clear();
  line.End();  // nothing left to clear
  EXPECT_EQ("", terminal);
}

}  // namespace
