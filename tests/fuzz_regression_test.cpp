// Every input the fuzzer ever crashed on (tests/fuzz/regressions/*) must now
// convert without a crash, a hang or a sanitizer report.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/fuzz/fuzz_body.h"
#include "tests/testutil.h"

using namespace hvx;

namespace fs = std::filesystem;

TEST(FuzzRegressions, AllConvert) {
  const fs::path dir = fs::path(hvxtest::SourceDir()) / "tests" / "fuzz" / "regressions";
  int n = 0;
  for (const auto& e : fs::directory_iterator(dir)) {
    if (!e.is_regular_file() || e.path().filename() == "README") continue;
    const std::string bytes = hvxtest::ReadFile(e.path().string());
    SCOPED_TRACE(e.path().filename().string());
    hvxfuzz::ConvertBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    ++n;
  }
  EXPECT_GT(n, 0) << "no regression inputs found in " << dir;
}
