// The export of a run's targets, written from fuzzed links, titles, keywords
// and expressions, then read back: the HTML pages hold no element or
// attribute that the page template lacks, every entity is one the escaping
// writes, and every unmarked target comes back as its row, numbered in
// order; the text files hold each target's link and title as written.
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "platform/codepage.h"
#include "texts/texts.h"
#include "viewer/export.h"
#include "viewer/export_files.h"
#include "viewer/export_text.h"
#include "viewer/highlight.h"

namespace {

using namespace vexo;

// Output names, some with bytes that are URL or HTML syntax in an href.
const char* const kBareNames[] = {"out", "a b#c%d?", "x&y\"z<", "新闻", "a.b.c", ".hidden"};
constexpr std::size_t kMaxLines = 4000;

const std::string& Scratch() {
  static const std::string folder = [] {
    const std::string base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return base + "/vexo-fuzz-export-" + std::to_string(getpid()) + "/";
  }();
  return folder;
}

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// What the escaping promises to keep: every byte, except that a lead byte
// without its trail byte after it becomes "?".
Bytes AsEscaped(std::string_view text) {
  Bytes out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (!IsLeadByte(b)) {
      out += text[i];
      continue;
    }
    const auto t = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
    if (t >= 0x40 && t <= 0xFE && t != 0x7F) {
      out += text.substr(i, 2);
      ++i;
    } else {
      out += '?';
    }
  }
  return out;
}

struct Token {
  bool tag = false;
  bool closing = false;
  std::string name;
  std::map<std::string, std::string> attrs;
  std::string text;  // text with its entities decoded
};

// The four entities the escaping writes, and nothing else after a "&".
std::string Decode(std::string_view s) {
  static const std::pair<std::string_view, char> kEntities[] = {
      {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}};
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '&') {
      out += s[i];
      continue;
    }
    bool known = false;
    for (const auto& [entity, c] : kEntities) {
      if (s.substr(i, entity.size()) == entity) {
        out += c;
        i += entity.size() - 1;
        known = true;
        break;
      }
    }
    VEXO_FUZZ_CHECK(known);
  }
  return out;
}

bool IsNameByte(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-';
}

std::vector<Token> Tokenize(std::string_view html) {
  std::vector<Token> out;
  std::size_t i = 0;
  while (i < html.size()) {
    if (html[i] != '<') {
      const std::size_t end = std::min(html.find('<', i), html.size());
      const std::string_view text = html.substr(i, end - i);
      VEXO_FUZZ_CHECK(text.find('>') == std::string_view::npos);
      out.push_back({false, false, "", {}, Decode(text)});
      i = end;
      continue;
    }
    if (html.substr(i, 4) == "<!--") {  // the style sheet's comment
      const std::size_t end = html.find("-->", i);
      VEXO_FUZZ_CHECK(end != std::string_view::npos);
      VEXO_FUZZ_CHECK(!out.empty() && out.back().name == "style");
      i = end + 3;
      continue;
    }
    Token t;
    t.tag = true;
    ++i;
    if (i < html.size() && html[i] == '/') {
      t.closing = true;
      ++i;
    }
    while (i < html.size() && IsNameByte(html[i]))
      t.name += static_cast<char>(std::tolower(html[i++]));
    VEXO_FUZZ_CHECK(!t.name.empty());
    for (;;) {
      while (i < html.size() && html[i] == ' ') ++i;
      VEXO_FUZZ_CHECK(i < html.size());
      if (html[i] == '>') break;
      std::string name;
      while (i < html.size() && IsNameByte(html[i]))
        name += static_cast<char>(std::tolower(html[i++]));
      VEXO_FUZZ_CHECK(!name.empty() && i < html.size() && html[i] == '=' && !t.closing);
      ++i;
      std::string value;
      if (i < html.size() && html[i] == '"') {
        const std::size_t end = html.find('"', i + 1);
        VEXO_FUZZ_CHECK(end != std::string_view::npos);
        value = html.substr(i + 1, end - i - 1);
        i = end + 1;
      } else {
        while (i < html.size() && html[i] != ' ' && html[i] != '>') value += html[i++];
      }
      VEXO_FUZZ_CHECK(value.find_first_of("<>") == std::string::npos);
      VEXO_FUZZ_CHECK(t.attrs.emplace(name, Decode(value)).second);
    }
    ++i;
    out.push_back(std::move(t));
  }
  return out;
}

// The elements and attributes of the page template.
void CheckAgainstTemplate(const std::vector<Token>& tokens) {
  static const std::map<std::string, std::set<std::string>> kTemplate = {
      {"html", {}},
      {"head", {}},
      {"title", {}},
      {"style", {"type"}},
      {"meta", {"http-equiv", "content"}},
      {"body", {}},
      {"p", {}},
      {"br", {}},
      {"font", {"color", "style"}},
      {"a", {"href", "target"}}};
  std::map<std::string, int> open;
  for (const Token& t : tokens) {
    if (!t.tag) continue;
    const auto known = kTemplate.find(t.name);
    VEXO_FUZZ_CHECK(known != kTemplate.end());
    for (const auto& [name, value] : t.attrs) VEXO_FUZZ_CHECK(known->second.count(name) == 1);
    if (t.name == "font" || t.name == "a") {
      open[t.name] += t.closing ? -1 : 1;
      VEXO_FUZZ_CHECK(open[t.name] >= 0 && open[t.name] <= 2);
    }
  }
  VEXO_FUZZ_CHECK(open["font"] == 0 && open["a"] == 0);
}

struct Target {
  Bytes link;
  Bytes title;
  bool has_title = false;
};

// Reads the rows of one page back and compares them with the targets from
// `next` on.
void CheckPage(const std::vector<Token>& tokens, const std::vector<Target>& targets,
               std::size_t& next, const Bytes& keywords, const std::set<std::string>& page_names) {
  const Bytes number_sign = Gb("、");
  const Bytes ellipsis = Gb("…");
  std::size_t i = 0;
  auto at = [&](std::size_t k) -> const Token& {
    VEXO_FUZZ_CHECK(k < tokens.size());
    return tokens[k];
  };
  // The title: the fixed words and the keywords.
  while (at(i).name != "title") ++i;
  std::string title;
  for (++i; at(i).name != "title"; ++i) title += at(i).text;
  VEXO_FUZZ_CHECK(title == Gb("关键词：") + AsEscaped(keywords));

  for (; i < tokens.size(); ++i) {
    const Token& t = tokens[i];
    if (t.tag && !t.closing && t.name == "a" && t.attrs.count("target") == 0) {
      // A page of the same export.
      VEXO_FUZZ_CHECK(page_names.count(t.attrs.at("href")) == 1);
    }
    if (!(t.tag && !t.closing && t.name == "p" && i + 1 < tokens.size() &&
          tokens[i + 1].name == "font" && tokens[i + 1].attrs.count("color")))
      continue;
    // <p><font color><a href target>N、shown</a></font><br>caption</p>
    VEXO_FUZZ_CHECK(next < targets.size());
    const Target& want = targets[next++];
    const Token& a = at(i + 2);
    VEXO_FUZZ_CHECK(a.name == "a" && a.attrs.at("target") == "_blank");
    const bool web =
        Lower(want.link.substr(0, 7)) == "http://" || Lower(want.link.substr(0, 8)) == "https://";
    VEXO_FUZZ_CHECK(a.attrs.at("href") == (web ? AsEscaped(want.link) : Bytes("#")));
    std::string anchor;
    std::size_t k = i + 3;
    for (; !at(k).tag; ++k) anchor += at(k).text;
    VEXO_FUZZ_CHECK(at(k).name == "a" && at(k).closing);
    VEXO_FUZZ_CHECK(at(k + 1).name == "font" && at(k + 1).closing && at(k + 2).name == "br");
    // The rows are numbered 1, 2, ... over the whole export.
    const Bytes n = IntToText(static_cast<long long>(next));
    VEXO_FUZZ_CHECK(anchor.compare(0, n.size() + number_sign.size(), n + number_sign) == 0);
    const std::string shown = anchor.substr(n.size() + number_sign.size());
    const Bytes link = AsEscaped(want.link);
    const bool shortened =
        shown.size() >= ellipsis.size() &&
        shown.compare(shown.size() - ellipsis.size(), ellipsis.size(), ellipsis) == 0 &&
        link.compare(0, shown.size() - ellipsis.size(), shown, 0, shown.size() - ellipsis.size()) ==
            0 &&
        shown.size() - ellipsis.size() < link.size();
    VEXO_FUZZ_CHECK(shown == link || shortened);
    // The caption: its text, without the highlight and the piece breaks.
    std::string caption;
    for (k += 3; k < tokens.size() && !(tokens[k].name == "p") && tokens[k].name != "body"; ++k)
      caption += tokens[k].text;
    VEXO_FUZZ_CHECK(caption == AsEscaped(want.title));
    if (!want.has_title) VEXO_FUZZ_CHECK(caption.empty());
    i = k - 1;
  }
}

// `"link",` and `"title"` CR LF, quotes doubled inside.
std::string_view ReadField(std::string_view& rest, std::string& field) {
  field.clear();
  VEXO_FUZZ_CHECK(!rest.empty() && rest[0] == '"');
  std::size_t i = 1;
  for (;;) {
    VEXO_FUZZ_CHECK(i < rest.size());
    if (rest[i] == '"') {
      if (i + 1 < rest.size() && rest[i + 1] == '"') {
        field += '"';
        i += 2;
        continue;
      }
      break;
    }
    field += rest[i++];
  }
  rest.remove_prefix(i + 1);
  return rest;
}

void CheckTextFile(std::string_view text, const std::vector<Target>& targets, std::size_t& next,
                   std::size_t& rows_in_file) {
  std::string link;
  std::string title;
  rows_in_file = 0;
  while (!text.empty()) {
    VEXO_FUZZ_CHECK(next < targets.size());
    const Target& want = targets[next++];
    ReadField(text, link);
    VEXO_FUZZ_CHECK(link == want.link && !text.empty() && text[0] == ',');
    text.remove_prefix(1);
    if (!want.has_title) {
      VEXO_FUZZ_CHECK(text.empty());  // a link without a title ends the last file
      return;
    }
    ReadField(text, title);
    VEXO_FUZZ_CHECK(title == want.title && text.substr(0, 2) == "\r\n");
    text.remove_prefix(2);
    ++rows_in_file;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  const std::uint8_t control = in.Byte();
  ExportRequest r;
  r.kind = control & 1 ? ExportKind::Text : ExportKind::Html;
  r.bare_name = std::string(kBareNames[(control >> 1) % std::size(kBareNames)]) +
                (r.kind == ExportKind::Html ? ".htm" : ".txt");
  r.keywords = Bytes(in.Text());
  r.expression = Bytes(in.Text());
  // A block as stored: its number, then link and title lines, none holding
  // a line break.
  StringList block{"1"};
  while (!in.Empty() && block.size() <= kMaxLines) {
    Bytes line(in.Text());
    for (char& c : line)
      if (c == '\r' || c == '\n') c = ' ';
    block.push_back(std::move(line));
  }
  std::vector<Target> targets;  // the unmarked ones, in order
  for (std::size_t j = 1; j < block.size(); j += 2) {
    if (!block[j].empty() && block[j][0] == '*') continue;
    const bool titled = j + 1 < block.size();
    targets.push_back({block[j], titled ? block[j + 1] : Bytes(), titled});
  }
  // Made and removed by each input: the fuzzer ends without running exit handlers.
  mkdir(Scratch().c_str(), 0700);
  r.program_folder = Scratch();
  r.folder = Scratch();
  r.first_block = r.last_block = 1;
  r.open_block = &block;
  r.sum1 = static_cast<long long>(block.size() / 2);

  const ExportResult result = WriteExport(r);
  VEXO_FUZZ_CHECK(result.status == ExportStatus::kDone);
  std::set<std::string> names;
  for (const std::string& path : result.files) names.insert(Utf8ToGb(NameOfPath(path)));
  // An href names its page with "%", "#", "?" and blanks encoded.
  std::set<std::string> hrefs;
  for (const std::string& name : names) {
    std::string href;
    for (const char c : name) {
      const auto b = static_cast<unsigned char>(c);
      if (b < 0x21 || b == 0x7F || c == '%' || c == '#' || c == '?') {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%%%02X", b);
        href += hex;
      } else {
        href += c;
      }
    }
    hrefs.insert(href);
  }

  std::size_t next = 0;
  std::size_t rows_in_file = 0;
  for (std::size_t f = 0; f < result.files.size(); ++f) {
    const std::string text = ReadWhole(result.files[f]);
    if (r.kind == ExportKind::Html) {
      const std::vector<Token> tokens = Tokenize(text);
      CheckAgainstTemplate(tokens);
      CheckPage(tokens, targets, next, r.keywords, hrefs);
    } else {
      CheckTextFile(text, targets, next, rows_in_file);
      // Full files of 800 rows before the last.
      if (f + 1 < result.files.size())
        VEXO_FUZZ_CHECK(rows_in_file == static_cast<std::size_t>(kRowsPerTextFile));
    }
    unlink(result.files[f].c_str());
  }
  rmdir(Scratch().c_str());
  VEXO_FUZZ_CHECK(next == targets.size());
  return 0;
}
