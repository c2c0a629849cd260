// Every input the fuzzer ever crashed on, or that made time or memory explode
// (tests/fuzz/regressions/*), must now convert without a crash, a hang or a
// sanitizer report. Where processes can be forked, each converts in a child
// of its own whose peak memory is measured: it may exceed that of an empty
// model by kMaxExtraMiB at most. The inputs are a few KB to a few tens of
// KB; memory that follows what they say rather than what is read and written
// (a list copied per rule, a range held number by number) took gigabytes.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#if !defined(_WIN32)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "tests/fuzz/fuzz_body.h"
#include "tests/testutil.h"

using namespace hvx;

namespace fs = std::filesystem;

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

// The sanitizer keeps freed memory in quarantine (256 MiB) and shadows what
// is used: more room there.
constexpr long kMaxExtraMiB = kSanitized ? 768 : 192;

#if !defined(_WIN32)
// Converts bytes in a child process; its peak resident memory in KiB, or -1
// when it did not end normally.
long ConvertInChild(const std::string& bytes, bool threaded) {
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    try {
      hvxfuzz::ConvertBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), threaded);
    } catch (...) {
      _exit(3);
    }
    _exit(0);
  }
  if (pid < 0) return -1;
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) return -1;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return usage.ru_maxrss;
}
#endif

}  // namespace

TEST(FuzzRegressions, AllConvert) {
  const fs::path dir = fs::path(hvxtest::SourceDir()) / "tests" / "fuzz" / "regressions";
#if !defined(_WIN32)
  const long base = ConvertInChild("", true);
  ASSERT_GT(base, 0);
#endif
  int n = 0;
  for (const auto& e : fs::directory_iterator(dir)) {
    if (!e.is_regular_file() || e.path().filename() == "README") continue;
    const std::string bytes = hvxtest::ReadFile(e.path().string());
    // As each fuzz target converts it: on one thread, on two in pieces.
    for (const bool threaded : {false, true}) {
      SCOPED_TRACE(e.path().filename().string() + (threaded ? ", two threads" : ", one thread"));
#if defined(_WIN32)
      hvxfuzz::ConvertBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), threaded);
#else
      const long peak = ConvertInChild(bytes, threaded);
      ASSERT_GT(peak, 0) << "the conversion did not end normally";
      EXPECT_LE(peak - base, kMaxExtraMiB * 1024) << "peak " << peak / 1024 << " MiB, empty model " << base / 1024 << " MiB";
      std::printf("  %-48s %7zu bytes, %s, peak %ld MiB\n", e.path().filename().string().c_str(), bytes.size(),
                  threaded ? "two threads" : "one thread", peak / 1024);
#endif
    }
    ++n;
  }
  EXPECT_GT(n, 0) << "no regression inputs found in " << dir;
}
