#pragma once
// The steps of the text cleaning that the link resolvers repeat on links:
// shared by html_text.cpp, link_resolver.cpp and link_resolver_fast.cpp, and
// by nothing else.

#include <array>
#include <cstddef>
#include <string_view>

#include "platform/bytes.h"

namespace vexo::text_rules {

constexpr std::size_t kNpos = std::string_view::npos;

// Bit k set when entity k of the ones CleanText deletes starts at the
// beginning of `s` / occurs anywhere in `s`.
unsigned EntitiesAt(std::string_view s);
unsigned EntitiesIn(std::string_view s);

// CleanText and CleanLink on a string of our own, without copying it.
void CleanTextInPlace(Bytes& s);
void CleanLinkInPlace(Bytes& s);

// The extension test on a link whose last "." or ":" is at `mark`, and on a
// whole link.
bool IsRefusedExtensionAt(std::string_view link, std::size_t mark);
bool HasRefusedExtension(std::string_view link);

// The length of the part of `page` that a relative link is joined to: scheme
// and host for a link that begins with "/", the page's directory for any other.
std::size_t HostEnd(std::string_view page);
std::size_t DirectoryEnd(std::string_view page);
// MakeAbsolute appended to `out`, with a single growth of the buffer.
void AppendAbsolute(Bytes& out, std::string_view page, std::string_view link);

// The label test on a text that is not lower-cased yet.
bool HasEngineLabelFolded(std::string_view s);

// The rest run on every dot and at both ends of every link that the fast
// resolver walks, so they are inline.

inline constexpr std::array<std::string_view, 5> kEngineLabels = {
    ".baidu.", ".google.", ".zhongsou.", ".chinasearch.", ".sogou."};

constexpr unsigned PairKey(char a, char b) {
  return static_cast<unsigned char>(a) | static_cast<unsigned>(static_cast<unsigned char>(b)) << 8;
}

// The end of the engine label that starts at the dot at `dot` of `s`, or 0.
// The labels differ in their first two letters, which pick the one to try;
// OR-ing 20 (hex) lower-cases a letter and turns no other byte into one.
inline std::size_t EngineLabelEndAt(std::string_view s, std::size_t dot) {
  if (dot + 2 >= s.size()) return 0;
  std::size_t k = 0;
  switch (PairKey(s[dot + 1], s[dot + 2]) | 0x2020u) {
    case PairKey('b', 'a'):
      k = 0;
      break;
    case PairKey('g', 'o'):
      k = 1;
      break;
    case PairKey('z', 'h'):
      k = 2;
      break;
    case PairKey('c', 'h'):
      k = 3;
      break;
    case PairKey('s', 'o'):
      k = 4;
      break;
    default:
      return 0;
  }
  const std::string_view label = kEngineLabels[k];
  if (s.size() - dot < label.size()) return 0;
  for (std::size_t i = 3; i < label.size(); ++i)
    if (LowerAscii(s[dot + i]) != label[i]) return 0;
  return dot + label.size();
}

// Quotes and backslashes, which no link keeps.
inline bool IsQuote(char c) {
  return c == '"' || c == '\'' || c == '\\';
}

// The final refusals, on the cleaned absolute address.
bool AcceptableTarget(std::string_view l);

}  // namespace vexo::text_rules
