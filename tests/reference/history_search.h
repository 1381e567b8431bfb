#pragma once
// The duplicate test against the history as the store first did it: every
// block file read through 2,048-byte windows that start 1,880 bytes apart
// (near the end the window slides back to end at the file's end), then the
// lines of the blocks waiting to be saved. The fast form is HistoryIndex
// (store/history_index.h).

#include <string>
#include <string_view>
#include <vector>

#include "platform/bytes.h"

namespace vexo::reference {

// The file's bytes hold the text within one window; never an empty text or
// one longer than a window.
bool WindowsHold(std::string_view file, std::string_view text);

// A line of a waiting block holds the text (an empty text: any line).
bool WaitingHold(const std::vector<StringList>& waiting, std::string_view text);

// Every block file the listing of the Temp folder counts, as it is on disk
// now, then the waiting blocks.
bool HistoryHolds(const std::string& tempFolder, const std::vector<StringList>& waiting,
                  std::string_view title);

}  // namespace vexo::reference
