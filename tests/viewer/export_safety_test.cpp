// Exported files stay well-formed whatever the pages put into titles and
// links: HTML pages are parsed by an independent HTML parser, text rows keep
// their fields.
#include <gtest/gtest.h>

#include <cstdio>

#include "export_fixture.h"
#include "viewer/export_html.h"

namespace vexo::export_test {
namespace {

// Lists every start tag, attribute and end tag of the files as Python's
// html.parser sees them, one per line: "tag NAME", "attr TAG NAME", "end NAME".
std::string ParseWithPython(const std::vector<std::string>& paths) {
  const std::string script =
      "import sys, html.parser\n"
      "class P(html.parser.HTMLParser):\n"
      "  def handle_starttag(self, t, a):\n"
      "    print('tag', t)\n"
      "    for k, v in a: print('attr', t, k)\n"
      "  def handle_startendtag(self, t, a): self.handle_starttag(t, a)\n"
      "  def handle_endtag(self, t): print('end', t)\n"
      "for name in sys.argv[1:]:\n"
      "  p = P(convert_charrefs=True)\n"
      "  p.feed(open(name, 'rb').read().decode('gbk', 'replace'))\n"
      "  p.close()\n";
  const std::string script_path = paths.at(0) + ".py";
  FILE* f = std::fopen(script_path.c_str(), "w");
  if (f == nullptr) return "no script";
  std::fputs(script.c_str(), f);
  std::fclose(f);
  std::string cmd = "python3 '" + script_path + "'";
  for (const std::string& path : paths) cmd += " '" + path + "'";
  cmd += " 2>&1";
  FILE* p = ::popen(cmd.c_str(), "r");
  if (p == nullptr) return "no python";
  std::string out;
  char buf[4096];
  while (std::fgets(buf, sizeof buf, p) != nullptr) out += buf;
  ::pclose(p);
  std::remove(script_path.c_str());
  return out;
}

bool HavePython() {
  return std::system("python3 -c 'import html.parser' >/dev/null 2>&1") == 0;
}

// Only what the page template writes may appear.
void ExpectOnlyTemplateMarkup(const std::string& parsed) {
  static const std::set<std::string> allowed = {
      "tag html",
      "tag head",
      "tag title",
      "tag style",
      "attr style type",
      "tag meta",
      "attr meta http-equiv",
      "attr meta content",
      "tag body",
      "tag p",
      "tag font",
      "attr font color",
      "attr font style",
      "tag a",
      "attr a href",
      "attr a target",
      "tag br",
      "end html",
      "end head",
      "end title",
      "end style",
      "end body",
      "end p",
      "end font",
      "end a",
  };
  std::size_t at = 0;
  int lines = 0;
  while (at < parsed.size()) {
    const std::size_t end = parsed.find('\n', at);
    const std::string line = parsed.substr(at, end - at);
    EXPECT_TRUE(allowed.count(line)) << "unexpected markup: " << line;
    ++lines;
    if (end == std::string::npos) break;
    at = end + 1;
  }
  EXPECT_GT(lines, 10);
}

const char* const kHostileTitles[] = {
    "<script>alert(document.cookie)</script>",
    "<img src=x onerror=alert(1)>",
    "\"><a href=javascript:alert(1)>",
    "&lt;b&gt;&amp;&quot; and ' quotes",
    "</p></font></a><iframe src=//evil>",
    "\xB0\"><svg onload=alert(1)>",  // a half character before a quote
    "<!-- comment --><style>body{}</style>",
};

TEST_F(ExportTest, HostileTitlesAndLinksGiveOnlyTemplateMarkup) {
  if (!HavePython()) GTEST_SKIP() << "python3 with html.parser is not available";
  int i = 1;
  for (const char* title : kHostileTitles) titles_[i++] = Gb("新闻标题") + title;
  links_[1] = "http://a.com/x\"onmouseover=\"alert(1)";
  links_[2] = "http://a.com/<script>alert(1)</script>";
  links_[3] = "javascript:alert(1)//http://a.com/";
  links_[4] = "http://a.com/" + Bytes(70, 'p') + "\"><b>";       // cut inside the quote
  links_[5] = "http://a.com/" + Bytes(59, 'p') + "\xB0\"><b>x";  // half character at the cut
  keywords_ = "<script>alert('k')</script>";
  std::vector<std::string> pages;
  int round = 0;
  for (const Bytes& expr : {Bytes(), Bytes("script+onerror+font+alert/quot"), Gb("新闻+a")}) {
    expression_ = expr;
    LayOutRun(30);
    const std::string bare = "e" + std::to_string(round++) + ".htm";
    ASSERT_EQ(Export(ExportKind::Html, bare).status, ExportStatus::kDone);
    pages.push_back(Out(ExportFileName(bare, 0)));
    pages.push_back(Out(ExportFileName(bare, 1)));
  }
  ExpectOnlyTemplateMarkup(ParseWithPython(pages));
}

TEST_F(ExportTest, EscapedTitleStillHasItsKeywordsHighlighted) {
  titles_[1] = Gb("<b>手机</b> & 手机 \"报价\"");
  expression_ = Gb("手机");
  LayOutRun(1);
  ASSERT_EQ(Export(ExportKind::Html).status, ExportStatus::kDone);
  const Bytes hi =
      "<font style=\"color:#FF0000;background-color:#FFFFFF\">" + Gb("手机") + "</font>";
  EXPECT_NE(Read("back.htm")
                .find(Gb("…&lt;b&gt;") + hi + "&lt;/b&gt; &amp; " + hi + " &quot;" + Gb("报价") +
                      "&quot;" + Gb("…") + "<br></p>"),
            Bytes::npos);
}

TEST_F(ExportTest, TextFieldsDoubleTheirQuotesAndPlainRowsStayAsTheyWere) {
  titles_[2] = Gb("他说\"你好\"");
  links_[3] = "http://a.com/?q=\"x\"";
  LayOutRun(3);
  ASSERT_EQ(Export(ExportKind::Text).status, ExportStatus::kDone);
  const Bytes expected = "\"" + Link(1) + "\",\"" + TitleLine(1) + "\"\r\n" + "\"" + Link(2) +
                         "\",\"" + Gb("…他说\"\"你好\"\"…") + "\"\r\n" +
                         "\"http://a.com/?q=\"\"x\"\"\",\"" + TitleLine(3) + "\"\r\n";
  EXPECT_EQ(Read("back.txt"), expected);
}

// A minimal RFC 4180 reader: the fields of each row.
std::vector<std::vector<Bytes>> ReadCsv(const Bytes& data) {
  std::vector<std::vector<Bytes>> rows(1);
  Bytes field;
  bool quoted = false;
  for (std::size_t i = 0; i < data.size(); ++i) {
    const char c = data[i];
    if (quoted) {
      if (c == '"' && i + 1 < data.size() && data[i + 1] == '"') {
        field += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        field += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      rows.back().push_back(field);
      field.clear();
    } else if (c == '\r' && i + 1 < data.size() && data[i + 1] == '\n') {
      rows.back().push_back(field);
      field.clear();
      rows.emplace_back();
      ++i;
    } else {
      field += c;
    }
  }
  if (rows.back().empty()) rows.pop_back();
  return rows;
}

TEST_F(ExportTest, TextWithHostileFieldsReadsBackFieldForField) {
  int i = 1;
  for (const char* title : kHostileTitles) titles_[i++] = Gb("标题") + title + "\",\"";
  links_[2] = "http://a.com/\",\"x";
  LayOutRun(9);
  ASSERT_EQ(Export(ExportKind::Text).status, ExportStatus::kDone);
  const auto rows = ReadCsv(Read("back.txt"));
  ASSERT_EQ(rows.size(), 9u);
  for (int k = 1; k <= 9; ++k) {
    ASSERT_EQ(rows[k - 1].size(), 2u) << k;
    EXPECT_EQ(rows[k - 1][0], LinkOf(k));
    EXPECT_EQ(rows[k - 1][1], TitleLineOf(k));
  }
}

}  // namespace
}  // namespace vexo::export_test
