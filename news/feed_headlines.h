#pragma once
// Headlines out of a whole RSS 2.0 or Atom feed: each item's title, in
// GB2312 and cut as a portal page's caption is, with its link. Unlike a
// portal page, a feed is read once it has fully arrived, so an item cut by
// the boundary of two pieces still comes out whole.

#include <string_view>
#include <vector>

#include "news/news_headlines.h"
#include "parser/page_codes.h"
#include "platform/bytes.h"

namespace vexo {

// A feed gives at most this many rows; real ones hold 20 to 100 items.
inline constexpr std::size_t kMaxFeedHeadlines = 200;

// The charset of a feed (kCharsetGb, kCharsetBig5 or kCharsetUtf8 of
// parser/page_codes.h): the Content-Type header's, else the XML
// declaration's encoding, else UTF-8 as XML has it.
int FeedCharset(const StringList& header_lines, std::string_view body);

// The items of the feed with a title and an http(s) link, in feed order.
// `address` resolves relative links.
std::vector<Headline> FeedHeadlines(std::string_view body, const StringList& header_lines,
                                    std::string_view address);

}  // namespace vexo
