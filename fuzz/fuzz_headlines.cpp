// The news centre's headline extraction from a fuzzed piece of a portal page.
#include "fuzz/fuzz_input.h"
#include "news/news_headlines.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vexo;
  fuzz::Input in(data, size);
  const std::string_view page = in.Text();
  const std::string_view piece = in.Rest();
  for (const Headline& h : ExtractHeadlines(piece, page)) {
    VEXO_FUZZ_CHECK(Len(h.caption) <= kMaxCaptionBytes);
    VEXO_FUZZ_CHECK(h.caption.find(' ') == Bytes::npos);
  }
  (void)HeadlineLink(page, piece);
  return 0;
}
