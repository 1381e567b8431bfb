#include "parser/source_urls.h"

#include <algorithm>

#include "parser/keyword_query.h"
#include "platform/codepage.h"

namespace vexo {

namespace {

// Bytes that keep their meaning inside a query value as they are.
bool StaysAsIs(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '_' || c == '.' || c == '~' || c == '(' || c == ')' || c == '/' || c == '*' ||
         c == '!' || c == '\'' || c == ',' || c == ':' || c == '@';
}

Bytes PercentEscapedUtf8(std::string_view gbForm) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  const std::string utf8 = GbToUtf8(gbForm);
  Bytes out;
  out.reserve(utf8.size() * 3);
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    // The escapes the query form already holds ("%20" and control bytes)
    // stay; a lone "%" typed by the user is escaped itself.
    const bool escape = c == '%' && i + 2 < utf8.size() && HexDigitValue(utf8[i + 1]) >= 0 &&
                        HexDigitValue(utf8[i + 2]) >= 0;
    if (StaysAsIs(c) || escape) {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back('%');
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 15]);
    }
  }
  return out;
}

Bytes PageValue(const Source& s, int k) {
  return IntToText(s.first + (static_cast<long long>(k) - 1) * s.step);
}

}  // namespace

Bytes EncodeKeywordsFor(const Source& source, std::string_view keywords) {
  const Bytes form = EncodeQueryKeywords(keywords);
  return source.encoding == QueryEncoding::kGb2312 ? form : PercentEscapedUtf8(form);
}

Bytes SourcePageUrl(const Source& source, int k, std::string_view encoded) {
  const Bytes value = PageValue(source, k);
  Bytes url = ReplaceAll(source.url, "{page}", value);
  url = ReplaceAll(url, "{offset}", value);
  // The keywords last: they may hold anything, "{page}" included.
  return ReplaceAll(url, "{q}", encoded);
}

StringList FrontUrls(const SourceSet& set, std::string_view keywords) {
  StringList urls;
  for (const Source& s : set.sources) {
    if (s.front && s.pages > 0) urls.push_back(SourcePageUrl(s, 1, EncodeKeywordsFor(s, keywords)));
  }
  return urls;
}

StringList FullPassUrls(const SourceSet& set, std::string_view keywords) {
  StringList encoded;
  for (const Source& s : set.sources) encoded.push_back(EncodeKeywordsFor(s, keywords));
  StringList urls;
  int lastGroup = 0;
  for (const Source& s : set.sources) lastGroup = std::max(lastGroup, s.group);
  for (int group = 1; group <= lastGroup; ++group) {
    int pages = 0;
    for (const Source& s : set.sources)
      if (s.group == group) pages = std::max(pages, s.pages);
    for (int k = 1; k <= pages; ++k) {
      for (std::size_t i = 0; i < set.sources.size(); ++i) {
        const Source& s = set.sources[i];
        if (s.group == group && k <= s.pages) urls.push_back(SourcePageUrl(s, k, encoded[i]));
      }
    }
  }
  return urls;
}

namespace {

// The fixed parts of a template, between its placeholders.
StringList FixedParts(std::string_view url) {
  StringList parts;
  std::size_t at = 0;
  while (true) {
    const std::size_t open = url.find('{', at);
    const std::size_t close = open == std::string_view::npos ? open : url.find('}', open);
    if (close == std::string_view::npos) {
      parts.emplace_back(url.substr(at));
      return parts;
    }
    parts.emplace_back(url.substr(at, open - at));
    at = close + 1;
  }
}

bool FitsTemplate(std::string_view url, std::string_view tmpl) {
  const StringList parts = FixedParts(tmpl);
  if (!StartsWithNoCase(url, Lower(parts.front()))) return false;
  if (parts.size() == 1) return url.size() == parts.front().size();
  std::size_t at = parts.front().size();
  for (std::size_t i = 1; i + 1 < parts.size(); ++i) {
    const std::size_t hit = url.find(parts[i], at);
    if (hit == std::string_view::npos) return false;
    at = hit + parts[i].size();
  }
  const std::string_view last = parts.back();
  return url.size() >= at + last.size() && url.ends_with(last);
}

}  // namespace

const Source* SourceOfUrl(const SourceSet& set, std::string_view url) {
  for (const Source& s : set.sources) {
    if (FitsTemplate(url, s.url)) return &s;
  }
  return nullptr;
}

}  // namespace vexo
