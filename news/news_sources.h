#pragma once
// The addresses of the news window: up to six per category, fetched in this
// order. Each is a plain "http://" or "https://" address. In the classic set
// of sources they are the 48 portal pages of the program's first design, read
// piece by piece; in the current set they are feeds (news_feeds.h), read
// whole. vexo.ini may replace any of them with the key "news<n>_<i>"
// (category n 1-8, source i 1-6) in section "vexo". Like every other host,
// they can be sent elsewhere with the connect-to map.

#include <array>
#include <string>
#include <string_view>

#include "platform/bytes.h"

namespace vexo {

struct NewsSources {
  std::array<std::array<Bytes, 6>, 8> address;  // empty: no source there
  // Whether the address is an RSS or Atom feed rather than a portal page.
  std::array<std::array<bool, 6>, 8> feed{};

  // Source i (1-6) of category n (1-8); empty outside.
  Bytes At(int category, int source) const;
  bool IsFeed(int category, int source) const;
};

// The addresses of a set of sources: the portal pages for "classic", the
// feeds for any other name.
NewsSources NewsSourcesOfSet(std::string_view set_name);
// Those of the set chosen by $VEXO_SOURCES, else of the current set.
NewsSources DefaultNewsSources();

// The chosen set's addresses (ChosenSourceSetName) with the configured ones
// in their place. A configured value is taken only when it is a plain
// "http://" or "https://" address without blanks. In the current set it is
// read as a feed when it looks like one (LooksLikeFeedAddress), else as a
// portal page; the classic set reads portal pages only.
NewsSources ReadNewsSources(const std::string& config_file);

// The key of source i of category n.
Bytes NewsSourceKey(int category, int source);

}  // namespace vexo
