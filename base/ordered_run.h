// Items of work run on several threads and handed on in order on the calling
// thread: the writer's pieces, the tool's batch of models and checks, the
// page's two halves. One runner decides where each item runs, how far ahead
// of the one to hand on the threads may go, when the run stops and what it
// throws.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

namespace hvx {

// How a run uses threads.
struct COrderedRun {
  // Threads started for the run besides the calling one (no more than there
  // are items for them). With none, or when the system gives none, the
  // calling thread runs every item itself, each just before handing it on.
  unsigned workers = 0;
  // Whether the calling thread runs items too while it waits for the next
  // one to hand on. Without, it is free to tick.
  bool callerWorks = true;
  // Most items started and not yet handed on (at least 1): the memory of the
  // run is that many results.
  size_t ahead = 1;
  // True when no further item is to start; those started finish and are
  // handed on.
  std::function<bool()> stopped;
  // Called on the calling thread about every kRunTick while it waits, and
  // after an item was handed on when one is due, with the number of items
  // finished so far. Not called when no thread was started.
  std::function<void(size_t finished)> tick;
};

inline constexpr std::chrono::milliseconds kRunTick{100};

// An item's work and its hand-on: `slot` is below `ahead` and no two items
// started and not yet handed on share one, so a result may be kept there.
using RunItemFn = std::function<void(size_t item, size_t slot)>;

// Runs work(i) for every item i in [0, count) and consume(i) on the calling
// thread in ascending order, each once its item and all before it are done.
// Returns the number of items handed on: count, or fewer when stopped. The
// first item whose work or consume throws ends the run: no item starts
// after it, those before it are still handed on (as on one thread), and its
// exception leaves the call once every thread is joined.
size_t RunInOrder(const COrderedRun& how, size_t count, const RunItemFn& work, const RunItemFn& consume);

// Jobs with results: run(i) on up to `threads` threads of their own, and
// emit(i, result) on the calling thread in job order, each result dropped
// right after. At most twice the threads' jobs are started and not emitted,
// so memory stays bounded by the jobs running and the results waiting.
// With one thread (or one job) all runs on the calling thread.
template <class Run, class Emit>
size_t RunJobsInOrder(size_t count, unsigned threads, Run&& run, Emit&& emit, const std::function<bool()>& stopped = {},
                      const std::function<void(size_t)>& tick = {}) {
  using Result = std::invoke_result_t<Run&, size_t>;
  COrderedRun how;
  const size_t workers = std::min<size_t>(threads, count);
  how.workers = workers > 1 ? static_cast<unsigned>(workers) : 0;
  how.callerWorks = false;
  how.ahead = std::max<size_t>(2 * workers, 1);
  how.stopped = stopped;
  how.tick = tick;
  std::vector<std::optional<Result>> results(how.ahead);
  return RunInOrder(
      how, count, [&](size_t job, size_t slot) { results[slot].emplace(run(job)); },
      [&](size_t job, size_t slot) {
        std::optional<Result> result = std::exchange(results[slot], std::nullopt);
        emit(job, *result);
      });
}

}  // namespace hvx
