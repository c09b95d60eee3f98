#include "bridge/worker.hpp"


namespace bridge {

Worker::Worker() : thread_([this] { loop(); }) {}

Worker::~Worker() {
  {
    std::lock_guard lock(mutex_);
    ending_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

std::uint64_t Worker::run(std::function<void()> job) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return jobs_.size() < depth || fault_; });
  rethrow();
  jobs_.push_back(std::move(job));
  ++given_;
  changed_.notify_all();
  return given_;
}

void Worker::wait(std::uint64_t ticket) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this, ticket] { return done_ >= ticket; });
  rethrow();
}

void Worker::wait() {
  std::uint64_t ticket = 0;
  {
    std::lock_guard lock(mutex_);
    ticket = given_;
  }
  wait(ticket);
}

void Worker::rethrow() {
  if (fault_) std::rethrow_exception(fault_);
}

void Worker::loop() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return !jobs_.empty() || ending_; });
    if (jobs_.empty()) return;
    std::function<void()> job = std::move(jobs_.front());
    jobs_.pop_front();
    // After a fault the jobs left are dropped: the output is lost anyway.
    if (!fault_) {
      lock.unlock();
      std::exception_ptr fault;
      try {
        job();
      } catch (...) {
        fault = std::current_exception();
      }
      lock.lock();
      fault_ = fault;
    }
    ++done_;
    changed_.notify_all();
  }
}

}  // namespace bridge
