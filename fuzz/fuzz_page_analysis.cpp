// The page analysis on a fuzzed piece of a page: a few control bytes choose
// the charset, the source tag, the page address and the keyword expression
// (Chinese words among them); the targets it appends must be well formed.
#include <stdlib.h>

#include <algorithm>
#include <array>
#include <string>

#include "fuzz/fuzz_input.h"
#include "parser/page_codes.h"
#include "parser/parser_host.h"
#include "parser/thrd1.h"
#include "platform/codepage.h"
#include "store/result_store.h"

namespace vexo {
namespace {

// The main window as the analysis and the store see it, on a scratch folder.
class Host : public StoreHost, public ParserHost {
 public:
  Host() {
    char pattern[] = "/tmp/vexo-fuzz-XXXXXX";
    folder_ = ::mkdtemp(pattern) ? std::string(pattern) + "/" : std::string("/tmp/");
  }
  bool Tracking() const override { return true; }
  const std::string& ProgramFolder() const override { return folder_; }
  const Bytes& Gjc3() const override { return gjc3_; }
  void SetGjc3(const Bytes& text) override { gjc3_ = text; }
  ResultStore& Store() override { return store_; }
  void NewTargetStored(const Pthrd*) override {}
  int RunningParsers() const override { return parsers_; }
  void SetRunningParsers(int count) override { parsers_ = count; }

  // A new run: empty lists.
  void Reset(Bytes expression) {
    store_.CreateRunLists();
    store_.SiteQueue()->push_back(Bytes(kPassMarker));
    store_.EditOpenBlock()->push_back("1");
    gjc3_ = std::move(expression);
  }

 private:
  std::string folder_;
  Bytes gjc3_;
  int parsers_ = 0;
  ResultStore store_{*this};
};

const char* const kAddresses[] = {
    "http://www.baidu.com/s?wd=x",
    "http://news.google.com/news?q=x",
    "http://p.zhongsou.com/p?w=x",
    "https://www.gbsite.cn/news/1.htm",
    "http://www.big5site.com.tw/",
    "http://a.cn",
    "",
    "https://www.sogou.com/web?q=x",
};

}  // namespace
}  // namespace vexo

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vexo;
  static Host host;
  static const std::array<Bytes, 6> kExpressions = {
      Gb("中文"), Gb("中文+新闻"), Gb("奇瑞/别克/宝来"), Gb("汽车+|二手"), "news/(a+b)", ""};
  fuzz::Input in(data, size);
  const std::uint8_t choice = in.Byte();
  const int charset = choice % 3 == 0 ? kCharsetUtf8 : choice % 3 == 1 ? kCharsetBig5 : kCharsetGb;
  const int tag =
      (choice & 0x80) ? kFollowUpTagBase + 1 + (choice >> 3) % 8 : 1 + (choice >> 3) % 8;
  const char* address = kAddresses[in.Byte() % std::size(kAddresses)];
  const std::uint8_t pick = in.Byte();
  Bytes expression = pick < 200 ? kExpressions[pick % kExpressions.size()] : Bytes(in.Text());
  host.Reset(expression);
  AnalysePageNow(charset, tag, in.Rest(), address, expression, host);

  static const Bytes kMark = Gb("…");
  const StringList& block = *host.Store().OpenBlock();
  for (std::size_t i = 1; i + 1 < block.size(); i += 2) {
    VEXO_FUZZ_CHECK(block[i].find("://") != Bytes::npos);
    VEXO_FUZZ_CHECK(block[i + 1].rfind(kMark, 0) == 0);
    // Titles are cut from the page read as GB2312, whatever its charset: no
    // byte of a GBK-only code or of a four-byte sequence is left in them.
    // (They are not always whole characters: a keyword found across two
    // characters pulls the title's edges onto its own bytes.)
    VEXO_FUZZ_CHECK(std::none_of(block[i + 1].begin(), block[i + 1].end(), [](char c) {
      const auto b = static_cast<unsigned char>(c);
      return b >= 0x80 && (b < 0xA1 || b == 0xFF);
    }));
    VEXO_FUZZ_CHECK(block[i].find_first_of("\r\n") == Bytes::npos);
    VEXO_FUZZ_CHECK(block[i + 1].find_first_of("\r\n") == Bytes::npos);
  }
  VEXO_FUZZ_CHECK(host.RunningParsers() == 0);
  return 0;
}
