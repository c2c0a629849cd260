// The runner of ordered work on threads, straight and through the writer's
// pieces and the tool's jobs: order, the window ahead, the first failure,
// stopping and ticks.
#include "base/ordered_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "base/parallel.h"
#include "tests/testutil.h"

using namespace hvx;
using hvxtest::ProcessThreads;

namespace {

enum class EFront { kRun, kPieces, kJobs };

struct Shape {
  EFront front;
  unsigned threads;  // workers for kRun, threads for the others
  bool callerWorks;  // kRun only
  size_t ahead;      // kRun only
  std::string Name() const {
    const char* names[] = {"run", "pieces", "jobs"};
    return std::string(names[static_cast<int>(front)]) + " " + std::to_string(threads) +
           (callerWorks ? "+caller" : "") + " ahead " + std::to_string(ahead);
  }
  // Items that may be started and not yet handed on.
  size_t Ahead(size_t count) const {
    if (front == EFront::kPieces) return threads > 1 ? 4 * threads + 4 : 1;
    if (front == EFront::kJobs) return std::min<size_t>(threads, count) > 1 ? 2 * std::min<size_t>(threads, count) : 1;
    return ahead;
  }
};

const Shape kShapes[] = {
    {EFront::kRun, 0, true, 1},    {EFront::kRun, 1, true, 2},    {EFront::kRun, 3, true, 5},
    {EFront::kRun, 2, false, 3},   {EFront::kRun, 8, false, 16},  {EFront::kPieces, 1, true, 0},
    {EFront::kPieces, 3, true, 0}, {EFront::kPieces, 8, true, 0}, {EFront::kJobs, 1, false, 0},
    {EFront::kJobs, 3, false, 0},  {EFront::kJobs, 8, false, 0},
};

// Runs work(i) and consume(i) the shape's way; work's text (pieces) or
// result (jobs) must reach consume unchanged.
size_t RunShape(const Shape& s, size_t count, const std::function<void(size_t)>& work,
                const std::function<void(size_t)>& consume, const std::function<bool()>& stopped = {},
                const std::function<void(size_t)>& tick = {}) {
  if (s.front == EFront::kPieces) {
    RunPiecesInOrder(
        s.threads, count,
        [&](size_t i, std::string& text) {
          EXPECT_EQ("", text);
          work(i);
          text = std::to_string(i);
        },
        [&](size_t i, std::string& text) {
          EXPECT_EQ(std::to_string(i), text);
          consume(i);
        });
    return count;
  }
  if (s.front == EFront::kJobs)
    return RunJobsInOrder(
        count, s.threads,
        [&](size_t i) {
          work(i);
          return std::to_string(i);
        },
        [&](size_t i, std::string& result) {
          EXPECT_EQ(std::to_string(i), result);
          consume(i);
        },
        stopped, tick);
  COrderedRun how{s.threads, s.callerWorks, s.ahead, stopped, tick};
  // No two items in flight share a slot.
  std::vector<std::atomic<size_t>> owner(s.ahead);
  for (auto& o : owner) o = SIZE_MAX;
  return RunInOrder(
      how, count,
      [&](size_t i, size_t slot) {
        size_t free = SIZE_MAX;
        EXPECT_TRUE(slot < s.ahead && owner[slot].compare_exchange_strong(free, i)) << i;
        work(i);
      },
      [&](size_t i, size_t slot) {
        EXPECT_EQ(i, owner[slot].exchange(SIZE_MAX));
        consume(i);
      });
}

// Items that end out of order are handed on in order, each worked once and
// no further ahead than the window; without callerWorks the calling thread
// runs nothing when it has threads.
TEST(OrderedRun, InOrderWithinTheWindow) {
  for (const Shape& s : kShapes) {
    for (size_t count : {size_t{0}, size_t{1}, size_t{2}, size_t{17}, size_t{300}}) {
      SCOPED_TRACE(s.Name() + ", " + std::to_string(count) + " items");
      std::vector<std::atomic<int>> worked(count);
      std::vector<size_t> order;
      std::atomic<size_t> consumed{0};
      std::atomic<bool> onCaller{false};
      const auto caller = std::this_thread::get_id();
      const size_t ahead = s.Ahead(count);
      EXPECT_EQ(count, RunShape(
                           s, count,
                           [&](size_t i) {
                             EXPECT_LT(i, consumed.load() + ahead);
                             onCaller = onCaller || std::this_thread::get_id() == caller;
                             ++worked[i];
                             std::this_thread::sleep_for(std::chrono::microseconds((i * 7919) % 13 * 20));
                           },
                           [&](size_t i) {
                             order.push_back(i);
                             ++consumed;
                           }));
      ASSERT_EQ(count, order.size());
      for (size_t i = 0; i < count; ++i) EXPECT_TRUE(order[i] == i && worked[i] == 1) << i;
      if (s.front != EFront::kPieces && !s.callerWorks && s.Ahead(count) > 1) {
        EXPECT_FALSE(onCaller.load());
      }
    }
  }
}

// The first item that throws, in work or in consume, ends the run as on one
// thread: the items before it handed on, its own exception thrown (not a
// later item's), and no thread left.
TEST(OrderedRun, FirstFailureEndsTheRunAsOnOneThread) {
  const size_t before = ProcessThreads();
  for (const Shape& s : kShapes) {
    for (bool inConsume : {false, true}) {
      for (size_t failing : {size_t{0}, size_t{3}, size_t{40}}) {
        SCOPED_TRACE(s.Name() + (inConsume ? ", consume fails at " : ", work fails at ") + std::to_string(failing));
        std::vector<size_t> order;
        try {
          RunShape(
              s, 64,
              [&](size_t i) {
                if (!inConsume && i >= failing) throw std::runtime_error(std::to_string(i));
              },
              [&](size_t i) {
                if (inConsume && i == failing) throw std::runtime_error(std::to_string(i));
                order.push_back(i);
              });
          ADD_FAILURE() << "nothing thrown";
        } catch (const std::runtime_error& e) {
          EXPECT_EQ(std::to_string(failing), e.what());
        }
        ASSERT_EQ(failing, order.size());
        for (size_t i = 0; i < failing; ++i) EXPECT_EQ(i, order[i]);
        EXPECT_EQ(before, ProcessThreads());
      }
    }
  }
}

// Stopped once item 9 is handed on: the items started go on to the end and
// are handed on, no other starts.
TEST(OrderedRun, StoppedStartsNoMore) {
  for (const Shape& s : kShapes) {
    if (s.front == EFront::kPieces) continue;
    SCOPED_TRACE(s.Name());
    std::atomic<bool> stop{false};
    std::atomic<size_t> worked{0};
    size_t consumed = 0;
    const size_t until = RunShape(
        s, 40, [&](size_t) { ++worked; },
        [&](size_t i) {
          ++consumed;
          if (i == 9) stop = true;
        },
        [&] { return stop.load(); });
    EXPECT_EQ(until, consumed);
    EXPECT_EQ(worked.load(), until);
    EXPECT_GE(until, 10u);
    EXPECT_LE(until, 10u + s.Ahead(40));
  }
}

// Items much shorter than a tick still tick when the run takes longer than
// one: 20 items of 30 ms on two threads take at least 300 ms, and the counts
// rise. With no thread of its own the run does not tick.
TEST(OrderedRun, TicksWhileItWaits) {
  for (const Shape s :
       {Shape{EFront::kJobs, 2, false, 0}, Shape{EFront::kRun, 2, false, 4}, Shape{EFront::kJobs, 1, false, 0}}) {
    SCOPED_TRACE(s.Name());
    std::vector<size_t> ticks;
    RunShape(
        s, s.threads > 1 ? 20 : 3, [](size_t) { std::this_thread::sleep_for(std::chrono::milliseconds(30)); },
        [](size_t) {}, {}, [&](size_t finished) { ticks.push_back(finished); });
    EXPECT_EQ(s.threads > 1, !ticks.empty());
    EXPECT_TRUE(std::is_sorted(ticks.begin(), ticks.end()));
    EXPECT_LE(ticks.empty() ? 0 : ticks.back(), 20u);
  }
}

}  // namespace
