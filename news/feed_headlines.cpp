#include "news/feed_headlines.h"

#include <optional>

#include "parser/cvcode.h"
#include "parser/gb18030_text.h"
#include "parser/html_text.h"
#include "parser/result_reading.h"
#include "platform/files.h"
#include "platform/quietly.h"

namespace vexo {

namespace {

// The charset named right after `key` in lower-cased text, quoted or not.
std::optional<int> CharsetAfter(std::string_view text, std::string_view key) {
  const std::size_t at = text.find(key);
  if (at == std::string_view::npos) return std::nullopt;
  std::string_view name = text.substr(at + key.size());
  if (!name.empty() && (name.front() == '"' || name.front() == '\'')) name.remove_prefix(1);
  if (name.starts_with("utf-8") || name.starts_with("utf8")) return kCharsetUtf8;
  if (name.starts_with("gb")) return kCharsetGb;  // gb2312, gbk, gb18030
  if (name.starts_with("big5")) return kCharsetBig5;
  return std::nullopt;
}

// The XML declaration's encoding: it stands at the very start, after a
// byte order mark at most.
std::optional<int> DeclaredEncoding(std::string_view body) {
  constexpr std::size_t kDeclarationBound = 256;
  const Bytes head = Lower(body.substr(0, kDeclarationBound));
  const std::size_t start = head.find("<?xml");
  if (start == Bytes::npos || start > 3) return std::nullopt;
  const std::size_t end = head.find("?>", start);
  return CharsetAfter(std::string_view(head).substr(start, end - start), "encoding=");
}

Bytes TextInGb(int charset, std::string_view body) {
  if (charset == kCharsetUtf8) return Utf8ToAnsi(body);
  if (charset == kCharsetBig5) return Big5ToGb(body);
  // GBK and GB18030 characters GB2312 lacks would split their neighbours.
  if (Gb2312PrefixLength(body) < body.size()) return Gb18030ToGb2312(body);
  return Bytes(body);
}

}  // namespace

int FeedCharset(const StringList& header_lines, std::string_view body) {
  if (const auto c = CharsetAfter(Lower(JoinLines(header_lines)), "charset=")) return *c;
  if (const auto c = DeclaredEncoding(body)) return *c;
  return kCharsetUtf8;
}

std::vector<Headline> FeedHeadlines(std::string_view body, const StringList& header_lines,
                                    std::string_view address) {
  std::vector<Headline> out;
  Quietly([&] {
    const Bytes text = TextInGb(FeedCharset(header_lines, body), body);
    for (FoundResult& item : ReadFeedItems(text, address, ResultReading{})) {
      if (out.size() == kMaxFeedHeadlines) break;
      Bytes caption = CutCaption(item.title);
      if (caption.empty() || item.link.empty()) continue;
      out.push_back({std::move(caption), std::move(item.link)});
    }
  });
  return out;
}

}  // namespace vexo
