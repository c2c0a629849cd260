#include "base/parallel.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace hvx {

unsigned ThreadsFor(unsigned requested) {
  if (requested == 0) requested = std::max(1u, std::thread::hardware_concurrency());
  return std::min(requested, kMaxThreads);
}

namespace {

// The pieces in flight: slot i % window holds piece i from the time it is
// claimed until it is consumed.
class CPieceRun {
 public:
  CPieceRun(unsigned threads, size_t count, const std::function<void(size_t, std::string&)>& produce)
      : m_count(count), m_window(4 * static_cast<size_t>(threads) + 4), m_slots(m_window), m_produce(produce) {
    const size_t workers = std::min<size_t>(threads - 1, count - 1);
    // Without a thread (the system has none to give) the calling thread
    // produces the pieces itself.
    try {
      for (size_t i = 0; i < workers; ++i) m_workers.emplace_back([this] { Work(); });
    } catch (const std::system_error&) {
    }
  }
  ~CPieceRun() { Stop(); }

  // Waits until piece i is produced, producing pieces itself meanwhile;
  // rethrows a worker's exception.
  std::string& Await(size_t i) {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
      if (m_error) std::rethrow_exception(m_error);
      if (m_slots[i % m_window].ready) return m_slots[i % m_window].text;
      if (CanClaim()) {
        const size_t j = m_next++;
        lock.unlock();
        std::string& text = m_slots[j % m_window].text;
        m_produce(j, text);
        lock.lock();
        m_slots[j % m_window].ready = true;
        continue;
      }
      m_done.wait(lock);
    }
  }
  // Piece i was consumed: its slot takes a later piece.
  void Release(size_t i) {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      Slot& s = m_slots[i % m_window];
      s.ready = false;
      s.text.clear();
      m_consumed = i + 1;
    }
    m_room.notify_all();
  }

 private:
  // A cache line each: a thread appending to its piece's text must not slow
  // the threads at the pieces beside it.
  struct alignas(64) Slot {
    std::string text;
    bool ready = false;
  };

  bool CanClaim() const { return m_next < m_count && m_next < m_consumed + m_window; }

  void Work() {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
      m_room.wait(lock, [&] { return m_stop || CanClaim(); });
      if (m_stop) return;
      const size_t j = m_next++;
      lock.unlock();
      std::string& text = m_slots[j % m_window].text;
      try {
        m_produce(j, text);
      } catch (...) {
        lock.lock();
        if (!m_error) m_error = std::current_exception();
        m_stop = true;
        m_done.notify_all();
        m_room.notify_all();
        return;
      }
      lock.lock();
      m_slots[j % m_window].ready = true;
      m_done.notify_all();
    }
  }

  void Stop() noexcept {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_stop = true;
    }
    m_room.notify_all();
    for (std::thread& t : m_workers) t.join();
    m_workers.clear();
  }

  const size_t m_count;
  const size_t m_window;
  std::vector<Slot> m_slots;
  const std::function<void(size_t, std::string&)>& m_produce;
  std::mutex m_mutex;
  std::condition_variable m_room;  // a slot was freed, or stop
  std::condition_variable m_done;  // a piece was produced, or a worker failed
  size_t m_next = 0;               // the next piece to claim
  size_t m_consumed = 0;           // pieces consumed so far
  bool m_stop = false;
  std::exception_ptr m_error;
  std::vector<std::thread> m_workers;
};

}  // namespace

void RunPiecesInOrder(unsigned threads, size_t count, const std::function<void(size_t, std::string&)>& produce,
                      const std::function<void(size_t, std::string&)>& consume) {
  if (count == 0) return;
  if (threads <= 1 || count == 1) {
    std::string text;
    for (size_t i = 0; i < count; ++i) {
      text.clear();
      produce(i, text);
      consume(i, text);
    }
    return;
  }
  CPieceRun run(threads, count, produce);
  for (size_t i = 0; i < count; ++i) {
    consume(i, run.Await(i));
    run.Release(i);
  }
}

}  // namespace hvx
