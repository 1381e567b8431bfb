#pragma once
// Reading the main window's counters and the run's block numbers for paging
// and marking. Every reader throws RunNumberError on text that is not a
// number of a sane size, so that the handler ends there quietly.

#include <stdexcept>
#include <string>

#include "platform/bytes.h"
#include "store/result_store.h"

namespace vexo {

struct RunNumberError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A decimal count or position; far larger values are refused so that the
// page arithmetic cannot overflow.
long long ReadNumber(const Bytes& text);

// Line i of a list; throws when there is none.
const Bytes& LineAt(const StringList& list, long long i);

// The number of the run's first block: the open block's number less the
// blocks the run has filled, (sum - targets in the open block) div 200.
long long FirstBlockNumber(const StringList* open_block, long long sum);

// A block file as a list; false when it is missing or unreadable.
bool LoadBlock(const std::string& file, StringList& out);

}  // namespace vexo
