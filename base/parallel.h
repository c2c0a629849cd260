// Work of one conversion split across threads: how many threads, in what
// sizes the work is cut, and pieces of text formatted on several threads and
// handed on in order on the calling thread.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace hvx {

struct CParallelism {
  // Threads of one conversion, the converting thread among them; 1 runs
  // everything on the converting thread.
  unsigned threads = 1;
  // Model text framed and split into numbers as one piece by one thread.
  size_t readBatchBytes = size_t{256} << 10;
  // Data lines of a long section formatted as one piece by one thread.
  size_t writePieceLines = 2048;
  // Smaller models are read, and shorter sections written, on the
  // converting thread alone: starting threads would cost more than they
  // save.
  uint64_t readFromBytes = uint64_t{4} << 20;
  size_t writeFromLines = 16384;
};

// Most threads one conversion uses, whatever it is asked for.
inline constexpr unsigned kMaxThreads = 64;

// Threads for a requested count: 0 is one per core, and at most kMaxThreads.
unsigned ThreadsFor(unsigned requested);

// Pieces of text on the runner of base/ordered_run.h: produce(i, text) for
// every piece i in [0, count) on up to threads - 1 worker threads and on the
// calling thread while it would otherwise wait, consume(i, text) on the
// calling thread in ascending order; text starts empty each time. Several
// pieces are produced at once, so produce may touch only what belongs to its
// piece and what nobody changes meanwhile. At most four pieces per thread
// (and four more) are produced ahead of consume, so that the calling thread
// has work while a worker that holds the next piece waits for a core. An
// exception ends the run as it ends RunInOrder.
void RunPiecesInOrder(unsigned threads, size_t count, const std::function<void(size_t, std::string&)>& produce,
                      const std::function<void(size_t, std::string&)>& consume);

}  // namespace hvx
