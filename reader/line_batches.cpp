#include "reader/line_batches.h"

#include <cstring>
#include <system_error>

namespace hvx {

namespace {
// Bytes read between two progress reports while reading on several threads
// (the file source reports each chunk of this size when it reads alone).
constexpr uint64_t kTellEvery = uint64_t{1} << 20;
}  // namespace

CLineBatches::CLineBatches(CLineSource& src, const CParallelism& par, IProgress* progress)
    : m_src(src), m_par(par), m_progress(progress), m_slots(static_cast<size_t>(par.threads) + 2) {
  if (m_par.readBatchBytes == 0) m_par.readBatchBytes = 1;
}

CLineBatches::~CLineBatches() { Stop(); }

void CLineBatches::Stop() noexcept {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stop = true;
  }
  m_room.notify_all();
  for (std::thread& t : m_workers) t.join();
  m_workers.clear();
}

void CLineBatches::StartWorkers() {
  // Without a thread (the system has none to give) the reading thread takes
  // the batches itself.
  try {
    for (unsigned i = 1; i < m_par.threads; ++i) m_workers.emplace_back([this] { Work(); });
  } catch (const std::system_error&) {
  }
}

void CLineBatches::StopSplitting() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_splitting = false;
}

bool CLineBatches::TakeBatch(size_t want) {
  std::unique_lock<std::mutex> frame(m_frameMutex);
  size_t seq = 0;
  bool splitting = true;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_stop || m_sourceDone) return false;
    seq = m_taken;
    if ((want != kAny && seq != want) || seq >= m_released + m_slots.size()) return false;
    splitting = m_splitting;
  }
  // The slot's earlier batch is released: nobody else looks at it now.
  CBatch& b = SlotOf(seq);
  if (!b.text) b.text.reset(new char[m_par.readBatchBytes + CLineSource::kMaxLine]);
  b.lines.clear();
  b.nums.clear();
  b.split = false;
  bool more = true;
  std::string_view line;
  char* const text = b.text.get();
  size_t size = 0;
  while (size < m_par.readBatchBytes) {
    if (!m_src.ReadLineUncut(line)) {
      more = false;
      break;
    }
    b.lines.push_back(
        CBatchLine{static_cast<uint32_t>(size), static_cast<uint32_t>(line.size()), 0, 0, 0, EBlockLine::kPlain});
    std::memcpy(text + size, line.data(), line.size());
    size += line.size();
  }
  b.endPosition = m_src.Position();
  b.last = !more;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_taken = seq + 1;
    if (!more) m_sourceDone = true;
  }
  frame.unlock();
  if (splitting) Split(b);
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    b.ready = true;
  }
  m_ready.notify_all();
  return true;
}

void CLineBatches::Split(CBatch& b) const {
  for (CBatchLine& l : b.lines) {
    const std::string_view uncut(b.text.get() + l.at, l.size);
    std::string_view text;
    l.numAt = static_cast<uint32_t>(b.nums.size());
    l.kind = SplitBlockLine(uncut, text, b.nums);
    l.numCount = static_cast<uint32_t>(b.nums.size() - l.numAt);
    l.textSize = static_cast<uint32_t>(text.size());
  }
  b.split = true;
}

void CLineBatches::Work() {
  try {
    for (;;) {
      {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_room.wait(lock,
                    [&] { return m_stop || m_sourceDone || m_taken < m_released + m_slots.size(); });
        if (m_stop || m_sourceDone) return;
      }
      TakeBatch(kAny);
    }
  } catch (...) {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      if (!m_error) m_error = std::current_exception();
      m_stop = true;
    }
    m_ready.notify_all();
    m_room.notify_all();
  }
}

CLineBatches::CBatch* CLineBatches::Acquire(size_t seq) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (seq > 0) SlotOf(seq - 1).ready = false;
    m_released = seq;
  }
  m_room.notify_all();
  CBatch* b = nullptr;
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(m_mutex);
      if (m_error) std::rethrow_exception(m_error);
      if (seq < m_taken) {
        // A worker splits it. Meanwhile take a later batch, if there is
        // room for one, rather than wait.
        if (!SlotOf(seq).ready && !m_sourceDone && m_taken < m_released + m_slots.size()) {
          lock.unlock();
          TakeBatch(kAny);
          continue;
        }
        m_ready.wait(lock, [&] { return SlotOf(seq).ready || m_error; });
        if (m_error) std::rethrow_exception(m_error);
        b = &SlotOf(seq);
        break;
      }
    }
    TakeBatch(seq);
  }
  // A model longer than one batch: the workers start taking the next ones.
  if (seq == 0 && !b->last && m_par.threads > 1) StartWorkers();
  m_position = b->endPosition;
  if (m_progress && m_position >= m_nextTell) {
    m_nextTell = m_position + kTellEvery;
    m_progress->ReadProgress(m_position);
  }
  return b;
}

bool CLineBatches::NextBatch(CLine& line) {
  while (!m_cur || m_pos == m_cur->lines.size()) {
    if (m_cur && m_cur->last) return false;
    const size_t seq = m_cur ? m_curSeq + 1 : 0;
    m_cur = Acquire(seq);
    m_curSeq = seq;
    m_pos = 0;
  }
  Fill(line);
  return true;
}

}  // namespace hvx
