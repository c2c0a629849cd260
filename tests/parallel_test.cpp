// Work on several threads: the thread count, the model lines split ahead of
// the block readers, and maps read by several threads at once.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "base/parallel.h"
#include "reader/line_batches.h"
#include "store/hashmap.h"
#include "store/packedcodec.h"
#include "tests/testutil.h"

using namespace hvx;
using hvxtest::ProcessThreads;

namespace {

TEST(Parallelism, ThreadCounts) {
  EXPECT_EQ(1u, ThreadsFor(1));
  EXPECT_EQ(3u, ThreadsFor(3));
  EXPECT_EQ(kMaxThreads, ThreadsFor(100000));
  EXPECT_EQ(std::max(1u, std::min(kMaxThreads, std::thread::hardware_concurrency())), ThreadsFor(0));
}

// ---- lines split ahead -------------------------------------------------------

// Every line as the block readers would take it from the source alone.
struct SeenLine {
  std::string uncut, text;
  EBlockLine kind;
  std::vector<double> nums;
  bool operator==(const SeenLine&) const = default;
};

std::vector<SeenLine> Sequential(const std::string& data) {
  CMemoryLineSource src(data.data(), data.size());
  std::vector<SeenLine> seen;
  std::string_view line;
  while (src.ReadLineUncut(line)) {
    SeenLine s{std::string(line), "", EBlockLine::kPlain, {}};
    std::string_view text;
    s.kind = SplitBlockLine(line, text, s.nums);
    s.text = std::string(text);
    seen.push_back(std::move(s));
  }
  return seen;
}

std::vector<SeenLine> Batched(const std::string& data, unsigned threads, size_t batchBytes) {
  CMemoryLineSource src(data.data(), data.size());
  CParallelism par;
  par.threads = threads;
  par.readBatchBytes = batchBytes;
  CLineBatches batches(src, par, nullptr);
  std::vector<SeenLine> seen;
  CLineBatches::CLine l;
  while (batches.Next(l)) {
    EXPECT_TRUE(l.split);
    seen.push_back(SeenLine{std::string(l.uncut), std::string(l.text), l.kind,
                            std::vector<double>(l.nums, l.nums + l.count)});
  }
  EXPECT_FALSE(batches.Next(l));  // and stays at the end
  EXPECT_EQ(src.Position(), batches.Position());
  return seen;
}

// Lines of every kind (tests/tables/mixed-lines.hvt): plain and general
// numbers, expressions, text, blank lines, delimiters, a NUL byte, "<NULL>",
// carriage returns, lines longer than a line may be (read in pieces of 499)
// and a last line without its line feed.
std::string MixedText() { return hvxtest::ReadFile(hvxtest::SourceDir() + "/tests/tables/mixed-lines.hvt"); }

TEST(LineBatches, GiveTheLinesTheSourceGives) {
  const std::string text = MixedText();
  const std::vector<SeenLine> expected = Sequential(text);
  ASSERT_GT(expected.size(), 200u);
  for (unsigned threads : {1u, 2u, 4u}) {
    for (size_t batch : {size_t{1}, size_t{7}, size_t{100}, size_t{499}, size_t{1} << 16}) {
      SCOPED_TRACE(std::to_string(threads) + " threads, batches of " + std::to_string(batch) + " bytes");
      EXPECT_TRUE(expected == Batched(text, threads, batch));
    }
  }
  for (const std::string& edge : {std::string(), std::string("\n"), std::string("1,2"), std::string(499, '1')})
    EXPECT_TRUE(Sequential(edge) == Batched(edge, 3, 1));
}

// After StopSplitting the lines still come in order, only not split; leaving
// in the middle (a format error, a cancel) stops the workers.
TEST(LineBatches, StopSplittingOrLeavingEarly) {
  const size_t before = ProcessThreads();
  const std::string text = MixedText() + MixedText() + MixedText();
  const std::vector<SeenLine> expected = Sequential(text);
  for (size_t taken : {size_t{0}, size_t{1}, size_t{30}}) {
    for (bool stop : {false, true}) {
      CMemoryLineSource src(text.data(), text.size());
      CParallelism par;
      par.threads = 4;
      par.readBatchBytes = 20;
      {
        CLineBatches batches(src, par, nullptr);
        CLineBatches::CLine l;
        size_t i = 0, unsplit = 0;
        for (; i < taken; ++i) ASSERT_TRUE(batches.Next(l));
        if (stop) {
          batches.StopSplitting();
          for (; batches.Next(l); ++i) {
            ASSERT_LT(i, expected.size());
            EXPECT_EQ(expected[i].uncut, l.uncut);
            unsplit += !l.split;
          }
          EXPECT_EQ(expected.size(), i);
          EXPECT_GT(unsplit, 0u);
        }
      }
      EXPECT_EQ(before, hvxtest::ProcessThreadsSettled(before))
          << taken << (stop ? " taken, then stopped splitting" : " taken");
    }
  }
}

// ---- maps read by several threads -------------------------------------------

// After Freeze, threads with walks of their own read what was stored: numbers
// the direct index answers, negative numbers (chains only, linked by Freeze)
// and numbers that were never stored.
TEST(FrozenMap, ReadByManyThreadsAtOnce) {
  for (bool withNegatives : {false, true}) {
    CHashMap<T_NODS_D, NodeCodec> nodes(1000001);
    std::vector<int32_t> keys;
    for (int32_t i = 1; i <= 40000; ++i) keys.push_back(i * 3);
    if (withNegatives)
      for (int32_t i = 1; i <= 500; ++i) keys.push_back(-i * 7);
    for (int32_t k : keys) {
      T_NODS_D n{};
      n.pos[0] = k;
      n.kind = k % 5;
      nodes.Store(k, n);
    }
    nodes.Freeze();
    std::atomic<size_t> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
      threads.emplace_back([&, t] {
        CMapWalk walk;
        T_NODS_D n;
        for (size_t i = static_cast<size_t>(t); i < keys.size(); i += 2) {
          const int32_t k = keys[i];
          if (!nodes.Lookup(k, n, walk) || n.pos[0] != k || n.kind != k % 5) ++wrong;
          if (nodes.Lookup(k + 1, n, walk) || nodes.Contains(k + 1)) ++wrong;
        }
      });
    }
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(0u, wrong.load()) << (withNegatives ? "with negative numbers" : "");
  }
}

}  // namespace
