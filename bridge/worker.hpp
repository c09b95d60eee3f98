#pragma once
// A thread of one conversion's own that runs jobs in the order given: the
// encoding and writing of the arrays go on there while the records are
// read. A fault of a job is thrown again to the caller at its next call.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace bridge {

class Worker {
 public:
  Worker();
  Worker(const Worker&) = delete;
  Worker& operator=(const Worker&) = delete;
  // Lets the jobs given finish, their faults ignored, and ends the thread.
  ~Worker();

  // Queues a job, after waiting while `depth` jobs wait; returns its ticket.
  std::uint64_t run(std::function<void()> job);
  // Waits until the job of the ticket, and every one before it, is done.
  void wait(std::uint64_t ticket);
  // Waits until every job given is done.
  void wait();

 private:
  static constexpr std::size_t depth = 8;

  void loop();
  void rethrow();

  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::function<void()>> jobs_;
  std::uint64_t given_ = 0;
  std::uint64_t done_ = 0;
  std::exception_ptr fault_;
  bool ending_ = false;
  std::thread thread_;
};

}  // namespace bridge
