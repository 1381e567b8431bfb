#include "tests/reference/parser_literal.h"

#include "parser/html_text.h"
#include "parser/keyword_expression.h"
#include "store/result_store.h"

namespace vexo::reference {

void LiteralLearn(Bytes& gjc3, std::string_view textBefore) {
  static const std::vector<Bytes> tags = {"<font color=red>", "<font color=\"red\">",
                                          "<font color=#cc0033>", "<font color=#e10900>",
                                          "<font color=d00001>"};
  Bytes s = Trim(textBefore);
  while (Len(s) > 10) {
    Pos p = 0;
    for (const Bytes& tag : tags) p += PosOf(tag, s);
    if (p < 2) break;
    p += 5;
    while (p < Len(s) && ByteAt(s, p) != '>' && ByteAt(s, p) != '<') ++p;
    Pos q = p + 2;
    while (q < Len(s) && ByteAt(s, q) != '>' && CopyRange(s, q, q + 1) != "</") ++q;
    if (q - p > 3) gjc3 = SplitLearnedWord(gjc3, Trim(CopyRange(s, p + 1, q - 1)));
    Delete(s, 1, q - 1);
  }
}

void LiteralRefresh(std::string_view page, std::string_view address, StringList& followUp) {
  const Bytes lower = Lower(page);
  const Pos len = Len(page);
  const Pos r = PosOf("http-equiv=\"refresh\"", lower) + PosOf("http-equiv='refresh'", lower) +
                PosOf("http-equiv=refresh", lower);
  if (r == 0) return;
  Pos t = r;
  while (t < len && CopyRange(lower, t, t + 3) != "url=" && ByteAt(page, t + 4) != '>') ++t;
  Pos v = t + 4;
  while (v < len && ByteAt(page, v) != ' ' && ByteAt(page, v) != '"' && ByteAt(page, v) != '\'' &&
         ByteAt(page, v) != '>')
    ++v;
  if (v <= t + 4) return;
  Bytes a = CleanText(CleanLink(MakeAbsolute(address, Trim(CopyRange(page, t + 4, v - 1)))));
  if (Len(a) > 8 && !ContainsEngineLabel(Lower(a)) && !Contains(a, "/#") &&
      ResultStore::IndexOfLine(followUp, a) < 0)
    followUp.push_back(a);
}

}  // namespace vexo::reference
