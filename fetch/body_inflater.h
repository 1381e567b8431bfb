#pragma once
// BodyInflater: undoes a gzip or deflate Content-Encoding as the body
// arrives. Each step writes at most one piece of a fixed size, whatever the
// input would inflate to, so a small body that inflates to gigabytes costs
// one piece of memory and can be cut after any piece.

#include <cstddef>
#include <memory>
#include <string_view>

#include "fetch/response_head.h"

namespace vexo {

class BodyInflater {
 public:
  enum class Step {
    kMore,       // call Next again: there may be more output
    kNeedInput,  // every byte fed is used up
    kEnd,        // the stream has ended; what follows it is not part of it
    kError,      // corrupt, or a header zlib refuses
  };

  explicit BodyInflater(std::size_t piece_bytes);
  ~BodyInflater();
  BodyInflater(const BodyInflater&) = delete;
  BodyInflater& operator=(const BodyInflater&) = delete;

  // Starts a body of coding Gzip or Deflate; any other ends the one before
  // and leaves the inflater inactive.
  void Start(ContentCoding coding);
  // Drops the body under way and the inflating state. The last piece stays
  // readable: a handler that ends the request while it holds the piece still
  // reads valid bytes.
  void End();
  bool Active() const { return state_ != nullptr; }
  // Bytes have come and the stream has not ended: a close now cuts it short.
  bool Unfinished() const;

  // The next bytes of the body; they must stay in place until Next answers
  // kNeedInput (or the body ends).
  void Feed(const char* data, std::size_t len);
  // Inflates the next piece: at most piece_bytes bytes, followed by a zero
  // byte, valid until the next call; empty when this step made none.
  Step Next(std::string_view& piece);

 private:
  struct State;
  std::size_t piece_bytes_;
  std::unique_ptr<State> state_;
  std::unique_ptr<char[]> out_;  // kept across bodies
};

}  // namespace vexo
