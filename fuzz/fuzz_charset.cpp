// Charset conversion of page pieces: Big5, UTF-8 and GB18030 to GB2312, and
// the code-page helpers.
#include "fuzz/fuzz_input.h"
#include "parser/cvcode.h"
#include "parser/gb18030_text.h"
#include "parser/html_text.h"
#include "platform/codepage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vexo;
  fuzz::Input in(data, size);
  const std::string_view text = in.Rest();

  // A pair stays a pair: the converted piece is no longer than the piece.
  const Bytes fromBig5 = Big5ToGb(text);
  VEXO_FUZZ_CHECK(fromBig5.size() <= text.size());
  // A byte that is no UTF-8 stands for the character of its own value, which
  // may take two GB bytes; a character never takes more.
  const Bytes fromUtf8 = Utf8ToAnsi(text);
  VEXO_FUZZ_CHECK(fromUtf8.size() <= 2 * text.size());
  VEXO_FUZZ_CHECK(Gb2312PrefixLength(fromUtf8) == fromUtf8.size());

  // Read as GB18030 a piece is whole GB2312 text, and one that was stays as
  // it was. Each byte gives at most one mark.
  const std::size_t whole = Gb2312PrefixLength(text);
  VEXO_FUZZ_CHECK(whole <= text.size());
  const Bytes fromGb = Gb18030ToGb2312(text);
  VEXO_FUZZ_CHECK(Gb2312PrefixLength(fromGb) == fromGb.size());
  VEXO_FUZZ_CHECK(fromGb.size() <= 2 * text.size());
  VEXO_FUZZ_CHECK(fromGb.compare(0, whole, text.substr(0, whole)) == 0);
  if (whole == text.size()) VEXO_FUZZ_CHECK(fromGb == text);
  const Bytes fromBig5Read = Gb18030ToGb2312(fromBig5);
  VEXO_FUZZ_CHECK(Gb2312PrefixLength(fromBig5Read) == fromBig5Read.size());

  const std::vector<ByteRole> roles = ByteRoles(text);
  VEXO_FUZZ_CHECK(roles.size() == text.size());
  if (!text.empty()) VEXO_FUZZ_CHECK(roles[0] != ByteRole::Trail);
  (void)IsWholeGbText(text);
  (void)GbToUtf8(text);
  return 0;
}
