// The HTML text helpers on hostile pieces: cleaning, tag stripping, link
// resolution and making links absolute.
#include "fuzz/fuzz_input.h"
#include "parser/html_text.h"
#include "parser/link_resolver.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vexo;
  fuzz::Input in(data, size);
  const std::string_view page = in.Text();
  const std::string_view link = in.Text();
  const std::string_view text = in.Rest();

  VEXO_FUZZ_CHECK(StripTags(text).size() <= text.size());
  VEXO_FUZZ_CHECK(RemoveSpaces(text).size() <= text.size());
  (void)CleanText(text);
  (void)CleanLink(link);
  (void)ContainsEngineLabel(Lower(text));
  (void)MakeAbsolute(page, link);
  (void)ResolveLink(page, link);
  return 0;
}
