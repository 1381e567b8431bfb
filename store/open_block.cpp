#include "store/open_block.h"

#include "platform/codepage.h"
#include "store/folded_line.h"
#include "texts/texts.h"

namespace vexo {

std::string BlockFilePath(std::string_view tempFolder, long long n) {
  return std::string(tempFolder) + "/" + std::to_string(n) + ".tmp";
}

namespace {

// `line`, of the length of a title line of `title`, is "…" + title + "…" but
// for letter case.
bool IsTitleLineOf(const Bytes& line, std::string_view title, std::string_view mark) {
  const std::size_t m = mark.size();
  const std::size_t t = title.size();
  // Titles are longer than 10 bytes; their last word settles most lines.
  if (t >= 8 && WordsDifferBeyondCase(line.data() + m + t - 8, title.data() + t - 8)) return false;
  return SameBytesFolded(line.data() + m, title.data(), t) &&
         SameBytesFolded(line.data(), mark.data(), m) &&
         SameBytesFolded(line.data() + m + t, mark.data(), m);
}

// Title lines of titles equal but for letter case share this key: the
// title's length and its first, middle and last two words of eight bytes
// (titles of one site often share a head and a tail), each with bit 5 set in
// every byte, which letter case cannot change. Nine bits, for the line index.
std::size_t TitleKey(const char* title, std::size_t t) {
  using folded_detail::Word;
  constexpr std::uint64_t kCaseBits = 0x2020202020202020ULL;
  const std::uint64_t first = Word(title) | kCaseBits;
  const std::uint64_t middle = Word(title + t / 2 - 4) | kCaseBits;
  const std::uint64_t tail = Word(title + (t >= 16 ? t - 16 : 0)) | kCaseBits;
  const std::uint64_t last = Word(title + t - 8) | kCaseBits;
  const std::uint64_t h = (first * 0x9E3779B97F4A7C15ULL) ^ (middle * 0xD6E8FEB86659FD93ULL) ^
                          (tail * 0xFF51AFD7ED558CCDULL) ^ ((last + t) * 0xC2B2AE3D27D4EB4FULL);
  return static_cast<std::size_t>(h >> 55);
}

// The duplicate test line by line (tests/reference/open_block.h).
bool HoldsTitleLineScan(const StringList& block, std::string_view title) {
  const std::string_view mark = TitleMark();
  const std::size_t n = title.size() + 2 * mark.size();
  // From the newest line back: a page repeats its titles at once.
  for (auto it = block.rbegin(); it != block.rend(); ++it) {
    if (it->size() == n && IsTitleLineOf(*it, title, mark)) return true;
  }
  return false;
}

}  // namespace

std::string_view TitleMark() {
  static const Bytes kEllipsis = AnalysisText().ellipsis;
  return kEllipsis;
}

StringList* OpenBlockLines::Edit() {
  index_.valid = false;
  return lines_.get();
}

void OpenBlockLines::Create() {
  index_.valid = false;
  lines_ = std::make_unique<StringList>();
}

void OpenBlockLines::Clear() {
  index_.valid = false;
  if (lines_)
    lines_->clear();
  else
    lines_ = std::make_unique<StringList>();
}

void OpenBlockLines::Destroy() {
  index_.valid = false;
  lines_.reset();
}

void OpenBlockLines::Append(const Bytes& link, const Bytes& titleLine) {
  lines_->push_back(link);
  lines_->push_back(titleLine);
}

StringList OpenBlockLines::RollOver(long long next) {
  index_.valid = false;
  StringList full = std::move(*lines_);
  lines_->clear();
  lines_->push_back(IntToText(next));
  return full;
}

// A line equal, but for letter case, to "…" + title + "…", found without
// building that line: only the lines that share the title's key are looked
// at, through the index.
bool OpenBlockLines::HoldsTitleLine(std::string_view title) {
  const StringList& block = *lines_;
  const std::string_view mark = TitleMark();
  const std::size_t m = mark.size();
  const std::size_t n = title.size() + 2 * m;
  // Far beyond any block, or too short a title for the key: the plain scan
  // stays right for any length.
  if (title.size() < 8 || block.size() >= LineIndex::kNone) return HoldsTitleLineScan(block, title);
  LineIndex& index = index_;
  if (!index.valid || index.older.size() > block.size()) {
    index.valid = true;
    index.newest.fill(LineIndex::kNone);
    index.older.clear();
  }
  std::size_t i = index.older.size();
  index.older.resize(block.size(), LineIndex::kNone);
  // Only a line long enough for a title of eight bytes, with the mark's
  // first byte where both marks begin, can be a title line. That byte is no
  // letter, so letter case plays no part.
  const char lead = mark.front();
  const bool leadFolds = (lead | 0x20) >= 'a' && (lead | 0x20) <= 'z';
  for (; i < block.size(); ++i) {
    const Bytes& line = block[i];
    if (line.size() < 2 * m + 8) continue;
    if (!leadFolds && (line.front() != lead || line[line.size() - m] != lead)) continue;
    std::uint32_t& head = index.newest[TitleKey(line.data() + m, line.size() - 2 * m)];
    index.older[i] = head;
    head = static_cast<std::uint32_t>(i);
  }
  for (std::uint32_t k = index.newest[TitleKey(title.data(), title.size())]; k != LineIndex::kNone;
       k = index.older[k]) {
    const Bytes& line = block[k];
    if (line.size() == n && IsTitleLineOf(line, title, mark)) return true;
  }
  return false;
}

}  // namespace vexo
