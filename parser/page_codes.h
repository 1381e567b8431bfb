#pragma once
// What a page piece carries to the analysis besides its bytes: the code of
// its charset and the tag of the list its address came from.

namespace vexo {

inline constexpr int kCharsetGb = 0;  // GB2312, GBK and GB18030, and anything undeclared
inline constexpr int kCharsetBig5 = 5;
inline constexpr int kCharsetUtf8 = 8;

// Tags 1-8: the site queue's slots (the engine pages); kFollowUpTagBase + 1
// to + 8: the follow-up list's (sites and the pages engines lead to).
inline constexpr int kFollowUpTagBase = 50;

inline constexpr bool IsFollowUpTag(int tag) {
  return tag > kFollowUpTagBase;
}
inline constexpr bool IsEnginePageTag(int tag) {
  return tag < kFollowUpTagBase;
}

}  // namespace vexo
