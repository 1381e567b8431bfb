#include "cli/analyse_command.h"

#include <QTemporaryDir>
#include <istream>
#include <iterator>
#include <ostream>

#include "cli/cli_commands.h"
#include "parser/page_codes.h"
#include "parser/thrd1.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "shell/fvexo1.h"

namespace vexo {

namespace {

constexpr std::size_t kPiece = 8192;
constexpr std::size_t kMaxInputBytes = std::size_t{64} << 20;

struct AnalyseArgs {
  std::string url;
  long long tag = 0;
  std::string expr;
  long long charset = 0;
  std::string file;
  bool gb = false;  // raw GB2312 instead of UTF-8 at the terminal
  bool have_url = false, have_tag = false, have_expr = false;
};

bool Parse(const std::vector<std::string>& args, AnalyseArgs& a) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& w = args[i];
    const bool valued = w == "--url" || w == "--tag" || w == "--expr" || w == "--charset";
    if (valued && i + 1 >= args.size()) return false;
    if (w == "--url") {
      a.url = args[++i];
      a.have_url = true;
    } else if (w == "--tag") {
      if (!TryTextToInt(args[++i], a.tag) || a.tag < -1000000 || a.tag > 1000000) return false;
      a.have_tag = true;
    } else if (w == "--expr") {
      a.expr = args[++i];
      a.have_expr = true;
    } else if (w == "--charset") {
      if (!TryTextToInt(args[++i], a.charset) ||
          (a.charset != kCharsetGb && a.charset != kCharsetBig5 && a.charset != kCharsetUtf8))
        return false;
    } else if (w == "--gb") {
      a.gb = true;
    } else if (a.file.empty() && !(w.size() > 1 && w[0] == '-')) {
      a.file = w;
    } else {
      return false;
    }
  }
  return a.have_url && a.have_tag && a.have_expr;
}

bool ReadInput(const std::string& file, std::istream& in, Bytes& bytes) {
  if (!file.empty()) return ReadFileBytes(file, bytes) && bytes.size() <= kMaxInputBytes;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return bytes.size() <= kMaxInputBytes;
}

}  // namespace

int RunAnalyseCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                      std::ostream& err) {
  AnalyseArgs a;
  if (!Parse(args, a)) {
    err << "usage: vexo-cli analyse --url URL --tag N --expr EXPR [--charset 0|5|8] [FILE]\n";
    return kCliBadUsage;
  }
  const auto from_terminal = [&a](std::string_view s) { return a.gb ? Bytes(s) : Utf8ToGb(s); };
  const auto to_terminal = [&a](std::string_view s) { return a.gb ? Bytes(s) : GbToUtf8(s); };
  Bytes page;
  if (!ReadInput(a.file, in, page)) {
    err << "vexo-cli analyse: cannot read " << (a.file.empty() ? "the input" : a.file) << '\n';
    return kCliFailed;
  }
  // A fresh program folder: no history, no configuration of the user.
  QTemporaryDir dir;
  if (!dir.isValid()) {
    err << "vexo-cli analyse: no temporary folder\n";
    return kCliFailed;
  }
  MainServices s;
  s.program_folder = dir.path().toStdString() + "/";
  s.config_file = s.program_folder + "vexo.ini";
  s.autostart_entry = s.program_folder + "vexo.desktop";
  TMain main(s);
  main.FormCreate();
  main.viewer.popupOnNew = 0;
  main.trackingRun = 1;
  main.gjc3.SetCaption(from_terminal(a.expr));
  ResultStore& store = main.Store();
  store.CreateRunLists();
  store.SiteQueue()->push_back(Bytes(kPassMarker));
  store.EditOpenBlock()->push_back("1");

  const Bytes url = from_terminal(a.url);
  std::size_t shown = 1;
  for (std::size_t at = 0; at < page.size(); at += kPiece) {
    const std::string_view piece = std::string_view(page).substr(at, kPiece);
    AnalysePageNow(static_cast<int>(a.charset), static_cast<int>(a.tag), UpToZero(piece), url,
                   Trim(main.gjc3.Caption()), main.Parsers());
    const StringList& block = *store.OpenBlock();
    if (shown > block.size()) shown = 1;  // rolled over into a block file
    for (; shown + 1 < block.size(); shown += 2)
      out << to_terminal(block[shown + 1]) << '\t' << to_terminal(block[shown]) << '\n';
  }
  for (const Bytes& line : *store.SiteQueue()) out << "site\t" << to_terminal(line) << '\n';
  for (const Bytes& line : *store.FollowUp()) out << "follow\t" << to_terminal(line) << '\n';
  out << "expr\t" << to_terminal(main.gjc3.Caption()) << '\n';
  main.trackingRun = 0;
  return kCliOk;
}

}  // namespace vexo
