#include "viewer/run_numbers.h"

#include "platform/files.h"

namespace vexo {

namespace {

constexpr long long kLargest = 1'000'000'000'000LL;

}  // namespace

long long ReadNumber(const Bytes& text) {
  long long v = 0;
  if (!TryTextToInt(text, v) || v > kLargest || v < -kLargest) throw RunNumberError("number");
  return v;
}

const Bytes& LineAt(const StringList& list, long long i) {
  if (i < 0 || i >= static_cast<long long>(list.size())) throw RunNumberError("line");
  return list[static_cast<std::size_t>(i)];
}

long long FirstBlockNumber(const StringList* open_block, long long sum) {
  if (!open_block || open_block->empty()) throw RunNumberError("open block");
  const long long open = ReadNumber(open_block->front());
  const long long in_open = static_cast<long long>(open_block->size()) / 2;
  return open - (sum - in_open) / kBlockTargets;
}

bool LoadBlock(const std::string& file, StringList& out) {
  out.clear();
  return FileExists(file) && LoadLines(file, out);
}

}  // namespace vexo
