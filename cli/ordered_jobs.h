// Jobs run on up to N threads, their results handed back in job order: the
// tool's -j. Job i's result goes to `emit` on the calling thread as soon as
// the results of jobs 0 to i-1 have gone, and is dropped right after, so a
// batch holds no more than the results that wait for an earlier job. At most
// twice as many jobs as threads are started and not yet emitted: the threads
// run ahead of a long job by that much, and memory stays bounded by the jobs
// running and the results waiting.
#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace hvx {

template <class Result>
class COrderedJobs {
 public:
  using Run = std::function<Result(size_t job)>;
  using Emit = std::function<void(size_t job, Result& result)>;
  // True when no further job is to start (jobs started still finish).
  using Stopped = std::function<bool()>;
  // Called on the calling thread about every kTick, while it waits or between
  // results, with the number of jobs finished so far.
  using Tick = std::function<void(size_t finished)>;
  static constexpr std::chrono::milliseconds kTick{100};

  // Runs jobs 0 to count-1; with threads 1 (or one job) all on the calling
  // thread, one after the other. Returns the number of jobs emitted: count,
  // or fewer when stopped. An exception of a job is thrown here, after every
  // thread is joined.
  static size_t RunAll(size_t count, unsigned threads, const Run& run, const Emit& emit, const Stopped& stopped = {},
                       const Tick& tick = {}) {
    const size_t workers = std::min<size_t>(std::max(threads, 1u), count);
    if (workers <= 1) {
      for (size_t i = 0; i < count; ++i) {
        if (stopped && stopped()) return i;
        Result r = run(i);
        emit(i, r);
      }
      return count;
    }
    COrderedJobs jobs(count, workers * 2);
    std::vector<std::thread> pool;
    try {
      for (size_t t = 0; t < workers; ++t) pool.emplace_back([&] { jobs.Work(run, stopped); });
    } catch (...) {
      jobs.Close();
      for (std::thread& t : pool) t.join();
      throw;
    }
    size_t emitted = 0;
    std::exception_ptr failure;
    try {
      emitted = jobs.EmitInOrder(emit, tick);
    } catch (...) {
      failure = std::current_exception();
    }
    jobs.Close();
    for (std::thread& t : pool) t.join();
    if (!failure) failure = jobs.m_failure;
    if (failure) std::rethrow_exception(failure);
    return emitted;
  }

 private:
  COrderedJobs(size_t count, size_t ahead) : m_slots(count), m_done(count), m_ahead(ahead) {}

  // A thread's loop: the next job when there is room ahead of the first
  // result not yet emitted.
  void Work(const Run& run, const Stopped& stopped) {
    std::unique_lock lock(m_mutex);
    for (;;) {
      m_room.wait(lock, [&] { return m_closed || m_next == m_slots.size() || m_next < m_emitted + m_ahead; });
      if (m_closed || m_next == m_slots.size()) return;
      if (stopped && stopped()) {
        m_closed = true;
        m_ready.notify_all();
        m_room.notify_all();
        return;
      }
      const size_t job = m_next++;
      lock.unlock();
      std::optional<Result> result;
      std::exception_ptr failure;
      try {
        result.emplace(run(job));
      } catch (...) {
        failure = std::current_exception();
      }
      lock.lock();
      if (failure) {
        if (!m_failure) m_failure = failure;
        m_closed = true;
        m_room.notify_all();
      }
      m_slots[job] = std::move(result);
      m_done[job] = true;
      ++m_finished;
      m_ready.notify_all();
    }
  }

  // On the calling thread: each result in job order once it is there; stops
  // at the first job that was never started or failed.
  size_t EmitInOrder(const Emit& emit, const Tick& tick) {
    auto nextTick = std::chrono::steady_clock::now() + kTick;
    for (size_t job = 0; job < m_slots.size(); ++job) {
      std::optional<Result> result;
      size_t finished = 0;
      {
        std::unique_lock lock(m_mutex);
        while (!m_done[job] && !(m_closed && job >= m_next)) {
          if (!tick) {
            m_ready.wait(lock);
          } else if (m_ready.wait_until(lock, nextTick) == std::cv_status::timeout) {
            finished = m_finished;
            lock.unlock();
            tick(finished);
            lock.lock();
            nextTick = std::chrono::steady_clock::now() + kTick;
          }
        }
        if (!m_done[job] || !m_slots[job]) return job;
        result = std::move(m_slots[job]);
        m_slots[job].reset();
        ++m_emitted;
        finished = m_finished;
        m_room.notify_all();
      }
      emit(job, *result);
      // Short jobs never leave this thread waiting a whole tick.
      if (tick && std::chrono::steady_clock::now() >= nextTick) {
        tick(finished);
        nextTick = std::chrono::steady_clock::now() + kTick;
      }
    }
    return m_slots.size();
  }

  void Close() {
    std::lock_guard lock(m_mutex);
    m_closed = true;
    m_room.notify_all();
  }

  std::mutex m_mutex;
  std::condition_variable m_room;   // a job may start
  std::condition_variable m_ready;  // a job finished
  std::vector<std::optional<Result>> m_slots;
  std::vector<bool> m_done;
  size_t m_ahead;
  size_t m_next = 0;      // the next job to start
  size_t m_emitted = 0;   // results handed to emit
  size_t m_finished = 0;  // jobs finished
  bool m_closed = false;  // no job starts any more
  std::exception_ptr m_failure;
};

}  // namespace hvx
