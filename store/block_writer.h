#pragma once
// Writes full blocks on a thread of its own, oldest first, so that the
// analysis does not wait for the disk. Every file operation still passes
// platform/files.h and its gate. Once a save fails, the saves queued before
// its failure was taken are not tried: their blocks wait for the next try in
// their order, as a failed save at a block boundary leaves them.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/bytes.h"

namespace vexo {

class BlockWriter {
 public:
  struct Job {
    std::uint64_t ticket = 0;
    std::string folder;  // made when missing
    std::string path;    // empty: a block that names no file
    Bytes bytes;
  };
  enum class Result { kSaved, kFailed, kNotTried };
  struct Outcome {
    std::uint64_t ticket = 0;
    Result result = Result::kNotTried;
    Bytes bytes;  // the job's, handed back
  };

  // `done` runs on the writer's thread after each outcome, to wake whoever
  // takes the outcomes.
  explicit BlockWriter(std::function<void()> done);
  // Finishes the jobs queued, then ends the thread.
  ~BlockWriter();
  BlockWriter(const BlockWriter&) = delete;
  BlockWriter& operator=(const BlockWriter&) = delete;

  void Queue(std::vector<Job> jobs);
  // The outcomes so far, in the order of the jobs; never waits for a save.
  std::vector<Outcome> Take();
  // Waits until every job queued has its outcome.
  void Wait();

 private:
  struct Queued {
    Job job;
    std::uint64_t failuresTaken;  // failures taken when it was queued
  };
  void Run();
  static bool Save(const Job& job);

  std::function<void()> done_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable idle_;
  std::deque<Queued> queue_;
  std::vector<Outcome> outcomes_;
  bool busy_ = false;
  bool ending_ = false;
  std::uint64_t failures_ = 0;
  std::uint64_t failuresTaken_ = 0;
  std::thread thread_;  // last: starts once the rest is there
};

}  // namespace vexo
