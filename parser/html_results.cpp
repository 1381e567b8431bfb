// The results of an engine's html result page: containers found by their
// markers, each read for its title link, its text and its real address.
#include <algorithm>
#include <optional>

#include "parser/address_decoding.h"
#include "parser/markup_tag.h"
#include "parser/markup_text.h"
#include "parser/needle_scan.h"
#include "parser/result_reading.h"
#include "platform/byte_search.h"

namespace vexo {
namespace {

constexpr std::size_t kNpos = std::string_view::npos;
// How far before its marker a container's tag may begin (long attribute
// lists of tracking data come first on some engines).
constexpr std::size_t kTagReach = 16 * 1024;

bool IsWordByte(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '_';
}

// The marker at `at` is not part of a longer word ("b_algo" in "b_algoSlug").
bool StandsAlone(std::string_view page, std::size_t at, std::string_view marker) {
  const std::size_t end = at + marker.size();
  if (IsWordByte(marker.front()) && at > 0 && IsWordByte(page[at - 1])) return false;
  return !(IsWordByte(marker.back()) && end < page.size() && IsWordByte(page[end]));
}

// Where each container begins: the "<" of the tag its marker stands in. A
// walk back from a marker never passes the previous one, so the walks cover
// the page once.
std::vector<std::size_t> ContainerStarts(std::string_view page, const StringList& markers) {
  std::vector<std::size_t> starts;
  NeedleScan scan(page, markers);
  std::size_t walked = 0;
  std::size_t which = 0;
  for (std::size_t at = scan.Next(0, which); at != kNpos; at = scan.Next(at + 1, which)) {
    const Bytes& marker = scan.Needle(which);
    if (!StandsAlone(page, at, marker)) continue;
    const std::size_t floor = std::max(walked, at > kTagReach ? at - kTagReach : 0);
    walked = std::max(walked, at + marker.size());
    std::size_t start = at;
    if (marker.front() != '<') {
      if (at <= floor) continue;
      const std::size_t bracket = FindLastAnyOf(page.substr(floor, at - floor), "<>");
      // Text, or a second marker of a tag already taken.
      if (bracket == kNpos || page[floor + bracket] != '<') continue;
      start = floor + bracket;
    }
    // Only the tag's first letter is looked at here: reading the whole tag
    // could run to the end of a page that closes none.
    const char first = start + 1 < page.size() ? LowerAscii(page[start + 1]) : '\0';
    if (first < 'a' || first > 'z') continue;
    if (starts.empty() || start > starts.back()) starts.push_back(start);
  }
  return starts;
}

// The end of the element that begins at region[0], or the region's size when
// it does not end inside it. A list item also ends where its list does, as
// its closing tag may be left out.
std::size_t ElementEnd(std::string_view region) {
  MarkupTag tag;
  if (FindTag(region, 0, tag) != 0) return region.size();
  const std::string_view name = tag.name;
  const bool item = EqualsNoCase(name, "li");
  int depth = 1;
  int lists = 0;
  for (std::size_t at = FindTag(region, AfterTag(region, tag), tag); at != kNpos;
       at = FindTag(region, AfterTag(region, tag), tag)) {
    if (EqualsNoCase(tag.name, name)) {
      depth += tag.closing ? -1 : 1;
      if (depth == 0) return tag.end;
    } else if (item && (EqualsNoCase(tag.name, "ul") || EqualsNoCase(tag.name, "ol"))) {
      if (!tag.closing) {
        ++lists;
      } else if (lists-- == 0) {
        return at;
      }
    }
  }
  return region.size();
}

bool IsHeading(std::string_view name) {
  return EqualsNoCase(name, "h2") || EqualsNoCase(name, "h3");
}

// A link of a result with the place it takes and the text it shows.
struct Anchor {
  std::size_t begin = 0;      // its "<a"
  std::size_t textBegin = 0;  // past its opening tag
  std::size_t end = 0;        // past its "</a>", or where its text stopped
  std::string_view href;
  Bytes text;
};

// The title link: the first link with text inside a heading, else the first
// link with text. One walk over the region's tags.
class TitleSearch {
 public:
  explicit TitleSearch(std::string_view region) : region_(region) {}

  std::optional<Anchor> Find() {
    MarkupTag tag;
    for (std::size_t at = FindTag(region_, 0, tag); at != kNpos;
         at = FindTag(region_, AfterTag(region_, tag), tag)) {
      if (EqualsNoCase(tag.name, "a")) {
        Close(at, tag.closing ? tag.end : at);
        if (!tag.closing) Open(tag);
      } else if (IsHeading(tag.name)) {
        Close(at, at);
        inHeading_ = !tag.closing;
      }
      if (heading_) return heading_;
    }
    Close(region_.size(), region_.size());
    return heading_ ? heading_ : first_;
  }

 private:
  void Open(const MarkupTag& tag) {
    const auto href = AttributeValue(tag, "href");
    if (!href) return;
    open_ = Anchor{tag.begin, tag.end, tag.end, *href, {}};
    openInHeading_ = inHeading_;
  }
  // The open link's text runs to `textEnd`; the link takes up to `end`.
  void Close(std::size_t textEnd, std::size_t end) {
    if (!open_) return;
    Anchor a = std::move(*open_);
    open_.reset();
    a.text = MarkupToText(region_.substr(a.textBegin, textEnd - a.textBegin));
    a.end = end;
    if (a.text.empty()) return;
    if (openInHeading_) {
      heading_ = std::move(a);
    } else if (!first_) {
      first_ = std::move(a);
    }
  }

  std::string_view region_;
  bool inHeading_ = false;
  bool openInHeading_ = false;
  std::optional<Anchor> open_;
  std::optional<Anchor> heading_;
  std::optional<Anchor> first_;
};

// The first of the address attributes, in their order, that holds an
// absolute http(s) address anywhere in the region; empty when none does.
Bytes AttributeAddress(std::string_view region, const StringList& attributes) {
  if (attributes.empty()) return {};
  StringList found(attributes.size());
  MarkupTag tag;
  for (std::size_t at = FindTag(region, 0, tag); at != kNpos;
       at = FindTag(region, AfterTag(region, tag), tag)) {
    std::string_view rest = tag.attributes;
    std::string_view name, value;
    while (NextAttribute(rest, name, value)) {
      for (std::size_t k = 0; k < attributes.size(); ++k) {
        if (!found[k].empty() || !EqualsNoCase(name, attributes[k])) continue;
        const Bytes address = Trim(DecodeEntities(value));
        if (IsHttpAddress(address)) found[k] = PlainAddress(address);
      }
    }
    if (!found.front().empty()) break;
  }
  const auto first =
      std::find_if(found.begin(), found.end(), [](const Bytes& a) { return !a.empty(); });
  return first == found.end() ? Bytes() : *first;
}

std::optional<FoundResult> ReadResult(std::string_view region, std::string_view pageAddress,
                                      const ResultReading& reading) {
  const std::optional<Anchor> title = TitleSearch(region).Find();
  if (!title) return std::nullopt;
  FoundResult result;
  result.link = AttributeAddress(region, reading.address_attributes);
  if (result.link.empty()) result.link = ResolveResultLink(title->href, pageAddress, reading);
  if (result.link.empty()) return std::nullopt;
  result.title = title->text;
  result.snippet = JoinText(MarkupToText(region.substr(0, title->begin)),
                            MarkupToText(region.substr(title->end)));
  return result;
}

}  // namespace

std::vector<FoundResult> ReadHtmlResults(std::string_view page, std::string_view pageAddress,
                                         const ResultReading& reading) {
  std::vector<FoundResult> results;
  const std::vector<std::size_t> starts = ContainerStarts(page, reading.markers);
  for (std::size_t i = 0; i < starts.size(); ++i) {
    const std::size_t begin = starts[i];
    std::size_t end = i + 1 < starts.size() ? starts[i + 1] : page.size();
    if (end - begin > kResultBound) end = WholeCharacterEnd(page, begin + kResultBound);
    std::string_view region = page.substr(begin, end - begin);
    region = region.substr(0, ElementEnd(region));
    if (auto result = ReadResult(region, pageAddress, reading))
      results.push_back(std::move(*result));
  }
  return results;
}

}  // namespace vexo
