#pragma once
// Cuts a fuzzer's input into the pieces a target needs: a few control bytes,
// then texts separated by a zero byte.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vexo::fuzz {

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size)
      : rest_(reinterpret_cast<const char*>(data), size) {}

  // The next byte, or 0 when none is left.
  std::uint8_t Byte() {
    if (rest_.empty()) return 0;
    const auto b = static_cast<std::uint8_t>(rest_.front());
    rest_.remove_prefix(1);
    return b;
  }
  // Up to the next zero byte (dropped), or the rest.
  std::string_view Text() {
    const std::size_t end = rest_.find('\0');
    const std::string_view text = rest_.substr(0, end);
    rest_.remove_prefix(end == std::string_view::npos ? rest_.size() : end + 1);
    return text;
  }
  bool Empty() const { return rest_.empty(); }
  std::string_view Rest() {
    const std::string_view text = rest_;
    rest_ = {};
    return text;
  }

 private:
  std::string_view rest_;
};

// Stops the run with a finding when a promise of the code does not hold.
#define VEXO_FUZZ_CHECK(cond)      \
  do {                             \
    if (!(cond)) __builtin_trap(); \
  } while (0)

}  // namespace vexo::fuzz
