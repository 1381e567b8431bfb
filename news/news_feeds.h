#pragma once
// The feeds the news centre reads in the current set of sources: for each of
// the eight categories two to six RSS or Atom addresses, People's Daily and
// China News Service where they publish the category, Google News topics and
// searches in its Chinese edition otherwise. No host holds more than two
// feeds of one category, so a category never opens more than two connections
// to one host.

#include <array>
#include <string_view>

#include "platform/bytes.h"

namespace vexo {

// Category n (1-8) is row n - 1; unused places at the end are empty.
using NewsFeedTable = std::array<std::array<Bytes, 6>, 8>;

const NewsFeedTable& CurrentNewsFeeds();

// Whether an address names a feed rather than a portal page: its path or
// query mentions rss, atom or feed, or it ends in ".xml".
bool LooksLikeFeedAddress(std::string_view address);

}  // namespace vexo
