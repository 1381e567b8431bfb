#pragma once
// The three stages of a page analysis and what they share. Internal to the
// parser worker (thrd1.cpp and the *_stage.cpp files).
//
// All positions are 1-based into the decoded page and its lower-cased copy,
// which always have the same length. Reads go through ByteAt (0 outside the
// text) and the clamped views below, so no position arithmetic can reach
// outside the page whatever the page holds.

#include <algorithm>
#include <array>
#include <memory>
#include <string_view>
#include <vector>

#include "parser/keyword_expression.h"
#include "parser/link_resolver.h"
#include "parser/parser_host.h"
#include "parser/source_set.h"
#include "platform/byte_search.h"
#include "platform/bytes.h"
#include "platform/codepage.h"

namespace vexo {

class Pthrd;

// Titles hold at most this many bytes; the content stage starts them at most
// kTitleLead bytes before the match; a listing title starts at kSnippetHead
// when the match lies early in the snippet.
inline constexpr Pos kMaxTitle = 156;
inline constexpr Pos kTitleLead = 78;
inline constexpr Pos kSnippetHead = 16;

// The bytes that end an address in a tag.
inline constexpr std::string_view kLinkEnds = " ;\"'<>";

// The bytes at positions first..last of s, clamped to the text.
inline std::string_view View(std::string_view s, Pos first, Pos last) {
  first = std::max<Pos>(first, 1);
  last = std::min(last, Len(s));
  if (last < first) return {};
  return s.substr(static_cast<std::size_t>(first - 1), static_cast<std::size_t>(last - first + 1));
}

// Up to n bytes starting at position p (the part inside the text).
inline std::string_view ViewN(std::string_view s, Pos p, Pos n) {
  return View(s, p, p + n - 1);
}

// PosOf from byte `from` on, through the block-wise search.
inline Pos Find(std::string_view needle, std::string_view hay, Pos from = 1) {
  if (needle.empty() || from > Len(hay)) return 0;
  if (from < 1) from = 1;
  const std::string_view rest = hay.substr(static_cast<std::size_t>(from - 1));
  const std::size_t hit = FindBytes(rest, needle);
  return hit == std::string_view::npos ? 0 : from + static_cast<Pos>(hit);
}

// The first position from p on, before `end`, that holds a byte of `set`;
// `end` when there is none, and p itself when p is at or past `end`.
inline Pos ScanToAnyOf(std::string_view s, Pos p, Pos end, std::string_view set) {
  if (p >= end) return p;
  const Pos from = std::max<Pos>(p, 1);
  const std::size_t hit = FindAnyOf(View(s, from, end - 1), set);
  return hit == std::string_view::npos ? end : from + static_cast<Pos>(hit);
}

// The last position at or before p, above `floor`, that holds a byte of
// `set`; `floor` when there is none, and p itself when p is at or below
// `floor`. The backward twin of ScanToAnyOf.
inline Pos ScanBackToAnyOf(std::string_view s, Pos p, Pos floor, std::string_view set) {
  if (p <= floor) return p;
  const Pos from = std::max<Pos>(floor + 1, 1);
  const std::size_t hit = FindLastAnyOf(View(s, from, p), set);
  return hit == std::string_view::npos ? floor : from + static_cast<Pos>(hit);
}

inline std::string_view TrimView(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= 0x20) s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= 0x20) s.remove_suffix(1);
  return s;
}

// The five bytes ending at p of a lower-cased text are "href=".
inline bool HrefEndsAt(std::string_view lower, Pos p) {
  return ByteAt(lower, p) == '=' && View(lower, p - 4, p) == "href=";
}

// The three bytes at p are "://".
inline bool SchemeMarkAt(std::string_view s, Pos p) {
  return ByteAt(s, p) == ':' && ViewN(s, p, 3) == "://";
}

// The first byte of an absolute address whose "://" begins at p: four bytes
// back for "http", five for "https" (any case).
inline Pos SchemeStartBefore(std::string_view lower, Pos p) {
  return View(lower, p - 5, p - 1) == "https" ? p - 5 : p - 4;
}

// The walk back over a tag's address: the last position from p down to
// `floor` where "href=" ends or "://" begins; floor - 1 when there is none.
// Both marks hold a byte that is rare in addresses ('=' or ':'), so only
// those positions are tested.
inline Pos AddressMarkAtOrBefore(std::string_view page, std::string_view lower, Pos p, Pos floor) {
  for (; p >= floor; --p) {
    p = ScanBackToAnyOf(page, p, floor - 1, "=:");
    if (p < floor || HrefEndsAt(lower, p) || SchemeMarkAt(page, p)) return p;
  }
  return p;
}

inline bool IsTagEdge(unsigned char c) {
  return c == '<' || c == '>';
}

// Number of bytes above 80 (hex) at positions first..last.
inline Pos CountHighBytes(std::string_view s, Pos first, Pos last) {
  return static_cast<Pos>(CountBytesAbove80(View(s, first, last)));
}

// ByteRoleAt(s, p) found by looking back from p instead of counting from the
// start of s: a byte that cannot lead a character always ends one, so the
// count of lead-range bytes between the nearest such byte and p decides.
ByteRole RoleByLookback(std::string_view s, Pos p);

// A title loses a first byte that is a trail byte and a last byte that is a
// lead byte (roles counted from the start of the title).
void DropCutCharacters(Bytes& title);

// One analysis: the host, the decoded page, the prepared keyword expression.
class AnalysisRun {
  // The buffer of `lower`: taken from the host's spare buffers and given
  // back at the end.
  Bytes lowerBuffer_;

 public:
  AnalysisRun(ParserHost& host, const Pthrd* sender, std::string_view address,
              std::string_view expression, std::string_view page);
  ~AnalysisRun();
  AnalysisRun(const AnalysisRun&) = delete;
  AnalysisRun& operator=(const AnalysisRun&) = delete;

  ParserHost& host;
  const Pthrd* const sender;
  const std::string_view address;
  const std::string_view page;
  const std::string_view lower;

  // FirstTermPosition / MatchExpression of the worker's expression.
  Pos FirstTerm(std::string_view loweredText) const;
  Pos Match(std::string_view loweredText) const;

  // FirstTerm of *lower* from byte `start` up to, not including, its last
  // byte. The searches move forward through the page, so each word's next
  // occurrence is remembered and reused while it lies at or after `start`:
  // the page is then searched about once per word instead of once per match.
  Pos FirstTermInTail(Pos start);

  // Role of the byte at position p of the page, counted from its start.
  ByteRole RoleAt(Pos p);

  // Hands a title and link to the store; pops up on a new target.
  void Store(std::string_view link, std::string_view title);

  // ResolveLink of a link found on this page.
  Bytes ResolveLink(std::string_view link) const { return links_.Resolve(link); }
  // A lower-cased copy of a snippet, in a buffer the run keeps for the next.
  std::string_view LowerSnippet(std::string_view snippet);
  // StripTags of a stretch of the page, in a buffer the run keeps for the
  // next.
  std::string_view StrippedSnippet(std::string_view html);
  // ResolveLink of a link found on this page, in a buffer the run keeps for
  // the next.
  std::string_view ResolvedLink(std::string_view link);
  void ResolveLinkInto(std::string_view link, Bytes& out) const { links_.ResolveInto(link, out); }
  // Where a listing's title is built, kept for the next (SnippetTitle).
  Bytes& TitleBuffer() { return titleBuffer_; }

 private:
  // Where a word's search in a tail last started, and what it found there
  // (0: nothing up to the end of the tail).
  struct NextWord {
    Pos searchedFrom = 0;
    Pos at = 0;
  };

  const std::shared_ptr<const PreparedExpression> expression_;
  const PageLinkResolver links_;
  Bytes snippetBuffer_;
  Bytes strippedBuffer_;
  Bytes linkBuffer_;
  Bytes titleBuffer_;
  std::vector<NextWord> nextWord_;  // by word index, once FirstTermInTail ran
  Pos charStart_ = 1;               // a byte known to begin a character
};

void ContentStage(AnalysisRun& run);
void RefreshStage(AnalysisRun& run);
void ListingStage(AnalysisRun& run);
// Results of a whole page: a matching one becomes a target with its own
// title and real address, every result's site a candidate, and a result
// that still points at the engine is fetched to learn where it leads.
// Answers the number of results read.
int ResultsStage(AnalysisRun& run, const Source& source, const StringList& engineLabels);

// During the very first pass for the keywords (no age marker in the site
// queue yet) engine pages teach how the engine splits the keywords.
bool FirstPassOfKeywords(ParserHost& host);

// The listing stage's title for a snippet: at most 156 bytes around the first
// keyword, starting after an ellipsis that precedes it. It lies in the run's
// title buffer until the next call.
std::string_view SnippetTitle(AnalysisRun& run, std::string_view snippet);

// Where the engines' highlight tags occur in a lower-cased page. The tags
// share their head, so one walk over its occurrences finds them all. The
// questions come mostly in rising order, as the walk over the links goes on:
// each tag's answer is looked for from the last one, and by a binary search
// only when a question goes back.
class HighlightTags {
 public:
  static constexpr std::size_t kCount = 5;
  explicit HighlightTags(std::string_view lower);
  // The first position of tag k at or after `from` that ends at or before
  // `last`, or 0.
  Pos FirstWithin(std::size_t k, Pos from, Pos last);

 private:
  std::array<std::vector<Pos>, kCount> at_;
  std::array<std::size_t, kCount> next_{};  // index of the last answer
};

// Learning from the highlight tags of an engine result page: every
// highlighted word in `textBefore` (lower-cased) is split out in `gjc3`.
// `textBefore` is the part of the page of `tags` after its first `offset`
// bytes.
void LearnHighlightedWords(ParserHost& host, HighlightTags& tags, std::string_view textBefore,
                           Pos offset);
void LearnHighlightedWords(ParserHost& host, std::string_view textBefore);
// A word an engine highlighted, set apart in `gjc3` (SplitLearnedWord).
void LearnWord(ParserHost& host, std::string_view word);

}  // namespace vexo
