#include "store/block_writer.h"

#include <utility>

#include "platform/files.h"

namespace vexo {

BlockWriter::BlockWriter(std::function<void()> done)
    : done_(std::move(done)), thread_([this] { Run(); }) {}

BlockWriter::~BlockWriter() {
  {
    std::lock_guard lock(mutex_);
    ending_ = true;
  }
  wake_.notify_one();
  thread_.join();
}

void BlockWriter::Queue(std::vector<Job> jobs) {
  if (jobs.empty()) return;
  {
    std::lock_guard lock(mutex_);
    for (Job& job : jobs) queue_.push_back({std::move(job), failuresTaken_});
  }
  wake_.notify_one();
}

std::vector<BlockWriter::Outcome> BlockWriter::Take() {
  std::lock_guard lock(mutex_);
  for (const Outcome& o : outcomes_) failuresTaken_ += o.result == Result::kFailed;
  return std::exchange(outcomes_, {});
}

void BlockWriter::Wait() {
  std::unique_lock lock(mutex_);
  idle_.wait(lock, [this] { return queue_.empty() && !busy_; });
}

bool BlockWriter::Save(const Job& job) {
  if (job.path.empty()) return false;
  return (DirExists(job.folder) || CreateDir(job.folder)) && WriteFileAtomic(job.path, job.bytes);
}

void BlockWriter::Run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return ending_ || !queue_.empty(); });
    if (queue_.empty()) return;  // ending, and nothing left
    Queued next = std::move(queue_.front());
    queue_.pop_front();
    busy_ = true;
    // A failure the queuer had not taken yet: the block waits for its retry
    // behind the failed one instead.
    const bool tried = next.failuresTaken == failures_;
    lock.unlock();
    const bool saved = tried && Save(next.job);
    lock.lock();
    if (tried && !saved) ++failures_;
    outcomes_.push_back({next.job.ticket,
                         saved   ? Result::kSaved
                         : tried ? Result::kFailed
                                 : Result::kNotTried,
                         std::move(next.job.bytes)});
    busy_ = false;
    if (queue_.empty()) idle_.notify_all();
    lock.unlock();
    if (done_) done_();
    lock.lock();
  }
}

}  // namespace vexo
