#include "base/ordered_run.h"

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

namespace hvx {

namespace {

// The items in flight. Item i may start once the items before i - ahead are
// handed on, so slot i % ahead is its own until it is handed on.
class CRun {
 public:
  CRun(const COrderedRun& how, size_t count, const RunItemFn& work, size_t workers)
      : m_how(how), m_count(count), m_ahead(std::max<size_t>(how.ahead, 1)), m_work(work), m_done(m_ahead) {
    try {
      for (size_t t = 0; t < workers; ++t) m_threads.emplace_back([this] { Work(); });
    } catch (const std::system_error&) {
      // Without threads (the system has none to give) the calling thread
      // runs the items itself.
    }
    m_callerWorks = how.callerWorks || m_threads.empty();
    m_ticks = how.tick && !m_threads.empty();
  }
  CRun(const CRun&) = delete;
  CRun& operator=(const CRun&) = delete;
  ~CRun() {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_closed = true;
    }
    m_room.notify_all();
    for (std::thread& t : m_threads) t.join();
  }

  size_t Slot(size_t i) const { return i % m_ahead; }

  // Waits until item i is done, running items meanwhile when the calling
  // thread works; false when it never started. Throws what item i threw.
  bool Await(size_t i) {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
      if (m_failed == i) std::rethrow_exception(m_error);
      if (m_done[Slot(i)]) return true;
      size_t j = 0;
      if (m_callerWorks && Claim(j)) {
        RunItem(j, lock);
      } else if (m_closed && i >= m_next) {
        return false;
      } else if (!m_ticks) {
        m_ready.wait(lock);
      } else if (m_ready.wait_until(lock, m_nextTick) == std::cv_status::timeout) {
        Tick(lock);
      }
    }
  }

  // Item i was handed on: its slot takes a later item.
  void Release(size_t i) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_done[Slot(i)] = false;
    m_consumed = i + 1;
    m_room.notify_all();
    // Short items never leave the calling thread waiting a whole tick.
    if (m_ticks && std::chrono::steady_clock::now() >= m_nextTick) Tick(lock);
  }

 private:
  // The next item, when it may start (under the lock).
  bool Claim(size_t& item) {
    if (m_closed || m_next >= m_count || m_next >= m_consumed + m_ahead) return false;
    if (m_how.stopped && m_how.stopped()) {
      Close();
      return false;
    }
    item = m_next++;
    return true;
  }

  // Runs item j without the lock; a failure closes the run, and the first
  // item that failed is the one whose exception the run throws.
  void RunItem(size_t j, std::unique_lock<std::mutex>& lock) {
    lock.unlock();
    std::exception_ptr error;
    try {
      m_work(j, Slot(j));
    } catch (...) {
      error = std::current_exception();
    }
    lock.lock();
    ++m_finished;
    if (error) {
      if (j < m_failed) {
        m_failed = j;
        m_error = error;
      }
      Close();
    } else {
      m_done[Slot(j)] = true;
    }
    m_ready.notify_all();
  }

  void Work() {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
      m_room.wait(lock, [&] { return m_closed || m_next >= m_count || m_next < m_consumed + m_ahead; });
      size_t j = 0;
      if (!Claim(j)) return;
      RunItem(j, lock);
    }
  }

  void Close() {
    m_closed = true;
    m_room.notify_all();
    m_ready.notify_all();
  }

  void Tick(std::unique_lock<std::mutex>& lock) {
    const size_t finished = m_finished;
    lock.unlock();
    m_how.tick(finished);
    lock.lock();
    m_nextTick = std::chrono::steady_clock::now() + kRunTick;
  }

  const COrderedRun& m_how;
  const size_t m_count;
  const size_t m_ahead;
  const RunItemFn& m_work;
  bool m_callerWorks = true;
  bool m_ticks = false;
  std::mutex m_mutex;
  std::condition_variable m_room;   // an item may start, or the run closed
  std::condition_variable m_ready;  // an item finished, or the run closed
  std::vector<char> m_done;         // by slot: its item is done
  size_t m_next = 0;                // the next item to start
  size_t m_consumed = 0;            // items handed on
  size_t m_finished = 0;            // items finished, failed ones among them
  size_t m_failed = SIZE_MAX;       // the first item that failed
  std::exception_ptr m_error;       // what it threw
  bool m_closed = false;            // no item starts any more
  std::chrono::steady_clock::time_point m_nextTick = std::chrono::steady_clock::now() + kRunTick;
  std::vector<std::thread> m_threads;
};

}  // namespace

size_t RunInOrder(const COrderedRun& how, size_t count, const RunItemFn& work, const RunItemFn& consume) {
  const size_t workers = count == 0 ? 0 : std::min<size_t>(how.workers, count - (how.callerWorks ? 1 : 0));
  if (workers == 0) {
    for (size_t i = 0; i < count; ++i) {
      if (how.stopped && how.stopped()) return i;
      work(i, 0);
      consume(i, 0);
    }
    return count;
  }
  CRun run(how, count, work, workers);
  for (size_t i = 0; i < count; ++i) {
    if (!run.Await(i)) return i;
    consume(i, run.Slot(i));
    run.Release(i);
  }
  return count;
}

}  // namespace hvx
