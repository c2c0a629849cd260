// The runner of ordered work on threads, straight and through the writer's
// pieces and the tool's jobs: order, the window ahead, ending early, ticks.
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

namespace {

using Item = std::function<void(size_t)>;
enum EFront { kRun, kPieces, kJobs };

// A way into the runner: threads are the workers straight, or the threads of
// pieces and jobs; ahead the most items started and not yet handed on.
struct Shape {
  EFront front;
  unsigned threads;
  bool callerWorks;
  size_t ahead;
};
const Shape kShapes[] = {{kRun, 0, true, 1},   {kRun, 1, true, 2},    {kRun, 3, true, 5},     {kRun, 2, false, 3},
                         {kRun, 8, false, 16}, {kPieces, 1, true, 1}, {kPieces, 3, true, 16}, {kPieces, 8, true, 36},
                         {kJobs, 1, true, 1},  {kJobs, 3, false, 6},  {kJobs, 8, false, 16}};

// work(i) and consume(i) the shape's way, with each item's text in its slot
// between: a slot shared by two items in flight hands on a wrong text.
size_t RunShape(const Shape& s, size_t count, const Item& work, const Item& consume,
                const std::function<bool()>& stopped = {}, const Item& tick = {}) {
  const auto handOn = [&](size_t i, std::string& text) {
    EXPECT_EQ(std::to_string(i), text);
    consume(i);
  };
  const auto produce = [&](size_t i, std::string& text) {
    EXPECT_EQ("", text);
    work(i);
    text = std::to_string(i);
  };
  if (s.front == kPieces) return RunPiecesInOrder(s.threads, count, produce, handOn), count;
  const auto run = [&](size_t i) { return work(i), std::to_string(i); };
  if (s.front == kJobs) return RunJobsInOrder(count, s.threads, run, handOn, stopped, tick);
  std::vector<std::string> slots(s.ahead);
  return RunInOrder(
      {s.threads, s.callerWorks, s.ahead, stopped, tick}, count,
      [&](size_t i, size_t slot) { produce(i, slots.at(slot)); },
      [&](size_t i, size_t slot) { handOn(i, slots.at(slot)), slots[slot].clear(); });
}

// Items that end out of order are handed on in order, each worked once, none
// further ahead than the window, none on a calling thread that does not work.
TEST(OrderedRun, InOrderWithinTheWindow) {
  for (const Shape& s : kShapes) {
    for (size_t count : {0, 1, 2, 17, 300}) {
      SCOPED_TRACE(testing::Message() << "shape " << &s - kShapes << ", " << count << " items");
      std::atomic<size_t> worked{0}, consumed{0};
      const auto caller = std::this_thread::get_id();
      const auto work = [&](size_t i) {
        EXPECT_LT(i, consumed.load() + s.ahead);
        EXPECT_FALSE(!s.callerWorks && count > 1 && std::this_thread::get_id() == caller) << i;
        ++worked;
        std::this_thread::sleep_for(std::chrono::microseconds((i * 7919) % 13 * 20));
      };
      EXPECT_EQ(count, RunShape(s, count, work, [&](size_t i) { EXPECT_EQ(consumed++, i); }));
      EXPECT_TRUE(worked == count && consumed == count);
    }
  }
}

// A run ends early as on one thread: at the first item that throws (in work
// or consume) with the items before it handed on and its own exception (not a
// later item's); or stopped, with the items started handed on and no other
// started. No thread is left.
TEST(OrderedRun, EndsEarlyAsOnOneThread) {
  const size_t before = hvxtest::ProcessThreads();
  enum { kWorkThrows, kConsumeThrows, kStopped };
  for (const Shape& s : kShapes) {
    for (int how : {kWorkThrows, kConsumeThrows, kStopped}) {
      for (size_t at : {0, 3, 40}) {
        if (how == kStopped && s.front == kPieces) continue;  // pieces are never stopped
        SCOPED_TRACE(testing::Message() << "shape " << &s - kShapes << ", end " << how << " at " << at);
        size_t consumed = 0;
        std::atomic<size_t> worked{0};
        std::atomic<bool> stop{false};
        const auto end = [&](size_t i, int here) {
          if (how == here && i >= at) throw std::runtime_error(std::to_string(i));
        };
        const auto work = [&](size_t i) { ++worked, end(i, kWorkThrows); };
        const auto consume = [&](size_t i) {
          end(i, kConsumeThrows);
          EXPECT_EQ(consumed++, i);
          stop = stop || (how == kStopped && i == at);
        };
        try {
          const size_t until = RunShape(s, 64, work, consume, [&] { return stop.load(); });
          EXPECT_EQ(consumed, until);
          EXPECT_EQ(kStopped, how);
          EXPECT_EQ(worked.load(), consumed);
          EXPECT_TRUE(consumed > at && consumed <= at + 1 + s.ahead) << consumed;
        } catch (const std::runtime_error& e) {
          EXPECT_EQ(std::to_string(at), e.what());
          EXPECT_EQ(at, consumed);
        }
        EXPECT_EQ(before, hvxtest::ProcessThreadsSettled(before));
      }
    }
  }
}

// Items shorter than a tick still tick in a longer run (20 of 30 ms on two
// threads), counts rising; a run without threads does not tick.
TEST(OrderedRun, TicksWhileItWaits) {
  for (const Shape& s : {Shape{kJobs, 2, false, 4}, Shape{kRun, 2, false, 4}, kShapes[8]}) {
    std::vector<size_t> ticks;
    const auto sleep = [](size_t) { std::this_thread::sleep_for(std::chrono::milliseconds(30)); };
    RunShape(s, s.threads > 1 ? 20 : 4, sleep, [](size_t) {}, {}, [&](size_t done) { ticks.push_back(done); });
    EXPECT_EQ(s.threads > 1, !ticks.empty()) << s.threads;
    EXPECT_TRUE(std::is_sorted(ticks.begin(), ticks.end()));
    EXPECT_LE(ticks.empty() ? 0 : ticks.back(), 20u);
  }
}

}  // namespace
