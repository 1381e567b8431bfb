#pragma once
// Bytes queued for sending: appended at the back, taken from the front as the
// connection accepts them. The front is dropped lazily so that taking a few
// bytes at a time stays cheap.

#include <cstddef>
#include <string>
#include <string_view>

namespace vexo {

class SendBuffer {
 public:
  void Append(std::string_view data);
  // The bytes still to send, starting at the front.
  std::string_view Front() const { return std::string_view(data_).substr(start_); }
  // Forgets n bytes from the front (clamped to what is there).
  void Consume(std::size_t n);
  bool Empty() const { return start_ >= data_.size(); }
  std::size_t Size() const { return data_.size() - start_; }
  void Clear();

 private:
  std::string data_;
  std::size_t start_ = 0;
};

}  // namespace vexo
