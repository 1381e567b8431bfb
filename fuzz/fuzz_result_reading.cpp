// Reading results and feed items out of a fuzzed whole page: a control byte
// picks the page address; every result kept must have a title and a plain
// http(s) link, and no field may outgrow the bound of one result.
#include <algorithm>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "parser/address_decoding.h"
#include "parser/markup_text.h"
#include "parser/result_reading.h"
#include "tests/support/sample_result_reading.h"

namespace vexo {
namespace {

const ResultReading& Reading() {
  return testing::TodaysResultReading();
}

bool IsPlainLink(const Bytes& link) {
  return IsHttpAddress(link) && std::none_of(link.begin(), link.end(), [](char c) {
           const auto b = static_cast<unsigned char>(c);
           return b <= 0x20 || b >= 0x7F;
         });
}

void Check(const std::vector<FoundResult>& results) {
  for (const FoundResult& r : results) {
    VEXO_FUZZ_CHECK(!r.title.empty() && IsPlainLink(r.link));
    VEXO_FUZZ_CHECK(r.title.size() <= kResultBound && r.snippet.size() <= kResultBound);
    VEXO_FUZZ_CHECK(r.title.find_first_of("\r\n\t") == Bytes::npos);
    VEXO_FUZZ_CHECK(r.snippet.find_first_of("\r\n\t") == Bytes::npos);
  }
}

}  // namespace
}  // namespace vexo

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vexo;
  static const char* const kAddresses[] = {"https://www.baidu.com/s?wd=x",
                                           "https://www.bing.com/news/search?format=rss", "",
                                           "http://a.cn"};
  fuzz::Input in(data, size);
  const char* address = kAddresses[in.Byte() % std::size(kAddresses)];
  const std::string_view page = in.Rest();
  Check(ReadHtmlResults(page, address, Reading()));
  Check(ReadFeedItems(page, address, Reading()));
  const Bytes link = UnwrapLink(page, Reading());
  VEXO_FUZZ_CHECK(link.empty() || IsPlainLink(link));
  (void)IsEngineRedirect(page, Reading());
  VEXO_FUZZ_CHECK(MarkupToText(page).size() <= page.size());
  return 0;
}
