// The items of an RSS 2.0 or Atom feed: title, text and link of each.
#include <array>

#include "parser/markup_tag.h"
#include "parser/markup_text.h"
#include "parser/needle_scan.h"
#include "parser/result_reading.h"
#include "platform/byte_search.h"

namespace vexo {
namespace {

constexpr std::size_t kNpos = std::string_view::npos;
constexpr std::string_view kCdataOpen = "<![CDATA[";
constexpr std::string_view kCdataClose = "]]>";

// The elements of an item that are read, in the order of the slots below.
constexpr std::array<std::string_view, 5> kFields = {"title", "link", "description", "summary",
                                                     "content"};
enum Field : std::size_t { kTitle, kLink, kDescription, kSummary, kContent, kNoField };

std::size_t FieldOf(std::string_view name) {
  for (std::size_t k = 0; k < kFields.size(); ++k)
    if (EqualsNoCase(name, kFields[k])) return k;
  return kNoField;
}

bool IsItem(std::string_view name) {
  return EqualsNoCase(name, "item") || EqualsNoCase(name, "entry");
}

// Text of an element of a feed: CDATA sections as they stand, the rest with
// its entities decoded. What results may still be markup (descriptions
// carry escaped html), which MarkupToText then reads.
Bytes FeedText(std::string_view content) {
  Bytes out;
  out.reserve(content.size());
  while (!content.empty()) {
    const std::size_t open = FindBytes(content, kCdataOpen);
    out += DecodeEntities(content.substr(0, open));
    if (open == kNpos) break;
    content.remove_prefix(open + kCdataOpen.size());
    const std::size_t close = FindBytes(content, kCdataClose);
    out.append(content.substr(0, close));
    content.remove_prefix(close == kNpos ? content.size() : close + kCdataClose.size());
  }
  return out;
}

// One walk over an item's markup, stepping over CDATA sections, that keeps
// the content of the first element of each field and the Atom links.
class ItemReader {
 public:
  explicit ItemReader(std::string_view item) : item_(item) {}

  void Read() {
    std::size_t i = 0;
    MarkupTag tag;
    while (i < item_.size()) {
      const std::size_t at = item_.find('<', i);
      if (at == kNpos) break;
      if (item_.compare(at, kCdataOpen.size(), kCdataOpen) == 0) {
        const std::size_t close = FindBytes(item_.substr(at), kCdataClose);
        i = close == kNpos ? item_.size() : at + close + kCdataClose.size();
        continue;
      }
      if (FindTag(item_, at, tag) != at) {
        i = at + 1;
        continue;
      }
      if (!Take(tag)) return;
      i = tag.end;
    }
    if (open_ != kNoField) fields_[open_] = item_.substr(openAt_);
  }

  // The content of a field as written; empty when the item had none.
  std::string_view Field(std::size_t k) const { return fields_[k]; }
  bool HasField(std::size_t k) const { return fields_[k].data() != nullptr; }
  // The href of the Atom link to use: rel="alternate" (or none) first.
  std::string_view AtomLink() const { return alternate_.empty() ? otherLink_ : alternate_; }

 private:
  // False once the item has ended.
  bool Take(const MarkupTag& tag) {
    if (open_ != kNoField) {
      if (tag.closing && FieldOf(tag.name) == open_) {
        fields_[open_] = item_.substr(openAt_, tag.begin - openAt_);
        open_ = kNoField;
      }
      return true;
    }
    if (tag.closing) return !IsItem(tag.name);
    const std::size_t field = FieldOf(tag.name);
    if (field == kLink && AttributeValue(tag, "href")) {
      TakeAtomLink(tag);
    } else if (field != kNoField && !HasField(field) && !IsSelfClosing(tag)) {
      open_ = field;
      openAt_ = tag.end;
    }
    return true;
  }

  void TakeAtomLink(const MarkupTag& tag) {
    const std::string_view href = *AttributeValue(tag, "href");
    const auto rel = AttributeValue(tag, "rel");
    if (!rel || EqualsNoCase(TrimView(*rel), "alternate")) {
      if (alternate_.empty()) alternate_ = href;
    } else if (otherLink_.empty()) {
      otherLink_ = href;
    }
  }

  std::string_view item_;
  std::array<std::string_view, kFields.size()> fields_{};
  std::size_t open_ = kNoField;
  std::size_t openAt_ = 0;
  std::string_view alternate_;
  std::string_view otherLink_;
};

// The link of an item: the Atom alternate link, the RSS link text, or any
// other Atom link.
Bytes ItemLink(const ItemReader& item, std::string_view pageAddress, const ResultReading& reading) {
  std::string_view alternate = item.AtomLink();
  if (!alternate.empty()) {
    Bytes link = ResolveResultLink(alternate, pageAddress, reading);
    if (!link.empty()) return link;
  }
  // FeedText has decoded the entities; ResolveResultLink decoding them again
  // only matters for an address holding "&amp;" itself, which none does.
  return ResolveResultLink(FeedText(item.Field(kLink)), pageAddress, reading);
}

bool ReadItem(std::string_view item, std::string_view pageAddress, const ResultReading& reading,
              FoundResult& result) {
  ItemReader reader(item);
  reader.Read();
  result.title = MarkupToText(FeedText(reader.Field(kTitle)));
  if (result.title.empty()) return false;
  result.link = ItemLink(reader, pageAddress, reading);
  if (result.link.empty()) return false;
  for (std::size_t k : {kDescription, kSummary, kContent}) {
    if (!reader.HasField(k)) continue;
    result.snippet = MarkupToText(FeedText(reader.Field(k)));
    break;
  }
  return true;
}

// Where each item begins: "<item" or "<entry" followed by the end of the
// name (not "<items>", "<entryType>").
std::vector<std::size_t> ItemStarts(std::string_view page) {
  static const StringList kOpenings = {"<item", "<entry"};
  std::vector<std::size_t> starts;
  NeedleScan scan(page, kOpenings);
  std::size_t which = 0;
  for (std::size_t at = scan.Next(0, which); at != kNpos; at = scan.Next(at + 1, which)) {
    const std::size_t end = at + scan.Needle(which).size();
    const char next = end < page.size() ? page[end] : '\0';
    if (next == '>' || next == '/' || IsBlankOrControl(next)) starts.push_back(at);
  }
  return starts;
}

}  // namespace

std::vector<FoundResult> ReadFeedItems(std::string_view page, std::string_view pageAddress,
                                       const ResultReading& reading) {
  std::vector<FoundResult> results;
  const std::vector<std::size_t> starts = ItemStarts(page);
  for (std::size_t i = 0; i < starts.size(); ++i) {
    const std::size_t begin = starts[i];
    std::size_t end = i + 1 < starts.size() ? starts[i + 1] : page.size();
    if (end - begin > kResultBound) end = WholeCharacterEnd(page, begin + kResultBound);
    // The item's own tag is passed over: its "<item" is no field.
    MarkupTag tag;
    const std::string_view region = page.substr(begin, end - begin);
    if (FindTag(region, 0, tag) != 0) continue;
    FoundResult result;
    if (ReadItem(region.substr(tag.end), pageAddress, reading, result))
      results.push_back(std::move(result));
  }
  return results;
}

}  // namespace vexo
