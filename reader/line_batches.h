// Model-file lines split into numbers ahead of the block readers, on worker
// threads. Lines are taken from the source in batches, in file order and by
// one thread at a time; the thread that took a batch splits its lines as the
// block readers would (SplitBlockLine), and the block readers take the lines
// in file order from the batches. Only the splitting runs ahead: which lines
// are read, counted, logged and stored is decided by the block readers as
// before, so a conversion reads exactly what it reads on one thread.
//
// A batch is taken by the reading thread itself when no worker has taken it
// yet, so with a slow worker (or none free) reading still goes on; workers
// are started only when the model is longer than one batch, and at most two
// batches more than there are threads are held at once.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "base/linesource.h"
#include "base/parallel.h"
#include "base/report.h"
#include "reader/strparser.h"

namespace hvx {

// What a data line of a block is to the block reader.
enum class EBlockLine : uint8_t {
  kPlain,      // plain numbers, split by the fast path; the text is the line as read
  kGeneral,    // split by the general rules; the text is cut at a NUL byte ("<NULL>": empty)
  kDelimiter,  // the closing delimiter of the block
};

inline bool IsDelimiterLine(std::string_view line) { return line.substr(0, 5) == "   -1"; }
// A line holding "<NULL>" anywhere reads as empty.
inline std::string_view CheckedLine(std::string_view line) {
  return line.find("<NULL>") != std::string_view::npos ? std::string_view() : line;
}

// Splits a block line as read (before it is cut at a NUL byte) into numbers
// appended to nums, and sets text to the line as the block reader sees it.
// Most lines are plain numbers: such a line holds no NUL byte, no "<NULL>"
// and, not starting with a blank, is no delimiter, so it needs no further
// test.
inline EBlockLine SplitBlockLine(std::string_view uncut, std::string_view& text, std::vector<double>& nums) {
  if (!uncut.empty() && uncut[0] != ' ' && CHalvexStrParser::SplitPlainNumbers(uncut, nums)) {
    text = uncut;
    return EBlockLine::kPlain;
  }
  text = CheckedLine(CLineSource::CutAtNul(uncut));
  if (IsDelimiterLine(text)) return EBlockLine::kDelimiter;
  CHalvexStrParser::SplitToNumbers(text, nums);
  return EBlockLine::kGeneral;
}

class CLineBatches {
 public:
  // One line as the block readers take it.
  struct CLine {
    std::string_view uncut;  // as read, possibly holding NUL bytes
    std::string_view text;   // as SplitBlockLine gives it
    EBlockLine kind = EBlockLine::kPlain;
    const double* nums = nullptr;
    size_t count = 0;
    bool split = false;      // text, kind and nums are set (while numbers are wanted)
  };

  // Reads src with up to par.threads threads (the calling one among them).
  // progress, if given, is told the bytes read on the calling thread.
  CLineBatches(CLineSource& src, const CParallelism& par, IProgress* progress);
  // Stops the workers and waits for them.
  ~CLineBatches();
  CLineBatches(const CLineBatches&) = delete;
  CLineBatches& operator=(const CLineBatches&) = delete;

  // The next line; false at the end of the input. Valid until the next call.
  // Rethrows what a worker met (out of memory).
  bool Next(CLine& line) {
    if (m_cur && m_pos < m_cur->lines.size()) [[likely]] {
      Fill(line);
      return true;
    }
    return NextBatch(line);
  }
  // Bytes of the input taken up to the end of the current batch.
  uint64_t Position() const { return m_position; }
  // Lines from now on are only framed, not split (reading has stopped and
  // only the block structure is still looked at).
  void StopSplitting();

 private:
  struct CBatchLine {
    uint32_t at;       // of the uncut text in the batch's text
    uint32_t size;
    uint32_t textSize; // of the text the block reader sees (it starts at `at` too)
    uint32_t numAt;
    uint32_t numCount;
    EBlockLine kind;
  };
  // Cache lines of its own: the thread filling a batch must not slow the
  // reader taking lines from the batch beside it.
  struct alignas(64) CBatch {
    std::unique_ptr<char[]> text;  // the lines back to back (readBatchBytes + a line)
    std::vector<CBatchLine> lines;
    std::vector<double> nums;
    uint64_t endPosition = 0;  // of the source after the batch's last line
    bool last = false;         // the source ended with this batch
    bool split = false;        // the lines were split into numbers
    bool ready = false;        // framed and split (guarded by m_mutex)
  };

  // Takes the next batch from the source and splits it, if it is batch
  // `want` (any batch, for want == kAny) and there is room for it; false
  // otherwise.
  static constexpr size_t kAny = SIZE_MAX;
  bool TakeBatch(size_t want);
  void Split(CBatch& b) const;
  void Work();
  void StartWorkers();
  void Stop() noexcept;
  CBatch& SlotOf(size_t seq) { return m_slots[seq % m_slots.size()]; }
  bool NextBatch(CLine& line);
  void Fill(CLine& line) {
    const CBatchLine& l = m_cur->lines[m_pos++];
    const char* at = m_cur->text.get() + l.at;
    line.uncut = std::string_view(at, l.size);
    line.split = m_cur->split;
    if (line.split) {
      line.text = std::string_view(at, l.textSize);
      line.kind = l.kind;
      line.nums = m_cur->nums.data() + l.numAt;
      line.count = l.numCount;
    }
  }
  // Waits for batch seq (taking it itself if no worker has); batch seq is
  // taken before the source ends, as the batch before it was not the last.
  CBatch* Acquire(size_t seq);

  CLineSource& m_src;
  CParallelism m_par;
  IProgress* m_progress;
  std::vector<CBatch> m_slots;

  // The consumer's side (the calling thread only).
  CBatch* m_cur = nullptr;
  size_t m_curSeq = 0;
  size_t m_pos = 0;  // next line of m_cur
  uint64_t m_position = 0;
  uint64_t m_nextTell = 0;

  std::mutex m_frameMutex;  // held while a batch is taken from the source
  std::mutex m_mutex;       // guards what follows
  std::condition_variable m_room;   // the reader moved on, or stop
  std::condition_variable m_ready;  // a batch was split, or a worker failed
  size_t m_taken = 0;      // batches taken from the source so far
  size_t m_released = 0;   // batches before this one are free again
  bool m_sourceDone = false;
  bool m_splitting = true;
  bool m_stop = false;
  std::exception_ptr m_error;
  std::vector<std::thread> m_workers;
};

}  // namespace hvx
