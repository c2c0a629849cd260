#include "base/parallel.h"

#include <algorithm>
#include <thread>
#include <vector>

#include "base/ordered_run.h"

namespace hvx {

unsigned ThreadsFor(unsigned requested) {
  if (requested == 0) requested = std::max(1u, std::thread::hardware_concurrency());
  return std::min(requested, kMaxThreads);
}

namespace {

// A cache line each: a thread appending to its piece's text must not slow
// the threads at the pieces beside it.
struct alignas(64) CPieceText {
  std::string text;
};

}  // namespace

void RunPiecesInOrder(unsigned threads, size_t count, const std::function<void(size_t, std::string&)>& produce,
                      const std::function<void(size_t, std::string&)>& consume) {
  COrderedRun how;
  how.workers = threads > 1 ? threads - 1 : 0;
  how.ahead = 4 * static_cast<size_t>(threads) + 4;
  std::vector<CPieceText> texts(threads > 1 ? how.ahead : 1);
  RunInOrder(
      how, count, [&](size_t i, size_t slot) { produce(i, texts[slot].text); },
      [&](size_t i, size_t slot) {
        consume(i, texts[slot].text);
        texts[slot].text.clear();
      });
}

}  // namespace hvx
