// Throughput of the QSX reference check: reads a QSX file into memory, then
// feeds it to the checker in 64 KiB pieces (as the converter's writer hands
// them over) RUNS times and prints the best and median MB/s (wall and CPU time), the
// number of findings (a run of missing numbers is one) and of dangling references.
//
//   hvx_checkbench FILE.qsx [RUNS]
#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "check/qsxcheck.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: hvx_checkbench FILE.qsx [RUNS]\n");
    return 1;
  }
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  std::FILE* f = std::fopen(argv[1], "rb");
  if (!f) {
    std::fprintf(stderr, "hvx_checkbench: cannot open %s\n", argv[1]);
    return 1;
  }
  std::string text;
  char buf[1 << 16];
  size_t got;
  while ((got = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, got);
  std::fclose(f);

  constexpr size_t kPiece = 64 * 1024;
  std::vector<double> seconds, cpu;
  size_t findings = 0;
  long long references = 0;
  for (int r = 0; r < runs; ++r) {
    const auto t0 = std::chrono::steady_clock::now();
    const std::clock_t c0 = std::clock();
    hvx::CQsxChecker checker;
    for (size_t pos = 0; pos < text.size(); pos += kPiece)
      checker.Feed(std::string_view(text).substr(pos, kPiece));
    const hvx::CDanglingList found = checker.Finish();
    findings = found.size();
    references = found.References();
    seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    cpu.push_back(static_cast<double>(std::clock() - c0) / CLOCKS_PER_SEC);
  }
  std::sort(seconds.begin(), seconds.end());
  std::sort(cpu.begin(), cpu.end());
  const double mb = static_cast<double>(text.size()) / 1e6;
  // CPU time is printed too: on a busy machine it is the steadier figure.
  std::printf("%s: %.1f MB, %d runs, wall best %.3f s (%.0f MB/s), median %.3f s (%.0f MB/s); "
              "cpu best %.3f s (%.0f MB/s); %zu findings, %lld dangling references\n",
              argv[1], mb, runs, seconds.front(), mb / seconds.front(), seconds[seconds.size() / 2],
              mb / seconds[seconds.size() / 2], cpu.front(), mb / cpu.front(), findings, references);
  return 0;
}
