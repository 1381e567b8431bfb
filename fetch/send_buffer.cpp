#include "fetch/send_buffer.h"

#include <algorithm>

namespace vexo {

void SendBuffer::Append(std::string_view data) {
  if (Empty()) Clear();
  data_.append(data);
}

void SendBuffer::Consume(std::size_t n) {
  start_ += std::min(n, Size());
  if (Empty()) {
    Clear();
  } else if (start_ > 4096 && start_ * 2 > data_.size()) {
    data_.erase(0, start_);
    start_ = 0;
  }
}

void SendBuffer::Clear() {
  data_.clear();
  start_ = 0;
}

}  // namespace vexo
