#include "cli/cli_commands.h"

#include <istream>
#include <iterator>
#include <ostream>
#include <string_view>

#include "cli/analyse_command.h"
#include "cli/sources_command.h"
#include "cli/track_command.h"
#include "parser/cvcode.h"
#include "parser/html_text.h"
#include "parser/keyword_expression.h"
#include "parser/keyword_query.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "vexo_version.h"

namespace vexo {

namespace {

// Page input larger than this is refused rather than held in memory.
constexpr std::size_t kMaxInputBytes = std::size_t{64} << 20;

constexpr std::string_view kUsage =
    "usage: vexo-cli [--gb] normalize EXPR | split-mixed TEXT | encode-query TEXT | "
    "match EXPR [FILE] | big5-to-gb [FILE] | utf8-to-gb [FILE] | analyse ... | track ... | "
    "sources [--urls KEYWORDS]  "
    "(--help for more, --version)\n";

constexpr std::string_view kHelp =
    "vexo-cli: keyword expressions and page charsets of Vexo\n"
    "\n"
    "  normalize EXPR      the keyword expression made of the keywords EXPR\n"
    "  split-mixed TEXT    the first expression of a run for the keywords TEXT\n"
    "  encode-query TEXT   the keywords TEXT as they go into a search query\n"
    "  match EXPR [FILE]   page text from FILE or standard input, lower-cased;\n"
    "                      prints the first-word position and the match position\n"
    "                      (byte positions in GB2312, 0 for none)\n"
    "  big5-to-gb [FILE]   Big5 page bytes to GB2312, raw bytes in and out\n"
    "  utf8-to-gb [FILE]   UTF-8 page bytes to GB2312, raw bytes in and out\n"
    "  analyse --url URL --tag N --expr EXPR [--charset 0|5|8] [FILE]\n"
    "                      the page analysis of a download of URL: targets, sites,\n"
    "                      follow-ups and the expression after learning\n"
    "  track KEYWORDS [--seconds N]\n"
    "                      a tracking run without a window, stopped after N seconds\n"
    "                      or at Ctrl-C; prints each new target; refuses a program\n"
    "                      folder that a running Vexo holds\n"
    "  sources [--urls KEYWORDS]\n"
    "                      the sources in effect (set by $VEXO_SOURCES, else the\n"
    "                      key sources of vexo.ini: current or classic), or the\n"
    "                      addresses a whole pass asks for the keywords\n"
    "\n"
    "  --help              this help\n"
    "  --version           the version of Vexo\n"
    "\n"
    "Arguments, page text and printed text are UTF-8; with --gb they are raw\n"
    "GB2312 bytes. \"--\" ends the options. Exit status: 0 done, 1 an input\n"
    "could not be read or a file could not be written, 2 bad usage, 3 the\n"
    "program folder is in use.\n";

struct Command {
  bool gb = false;  // raw GB2312 instead of UTF-8 at the terminal
  bool help = false;
  bool version = false;
  std::vector<std::string> words;  // subcommand and its operands
};

// The global options before the subcommand; answers the subcommand's index
// (the size of args when there is none).
std::size_t ParseGlobalOptions(const std::vector<std::string>& args, Command& cmd) {
  std::size_t i = 0;
  for (; i < args.size(); ++i) {
    if (args[i] == "--") return i + 1;
    if (args[i] == "--gb") {
      cmd.gb = true;
    } else if (args[i] == "--help" || args[i] == "-h") {
      cmd.help = true;
    } else if (args[i] == "--version") {
      cmd.version = true;
    } else {
      break;
    }
  }
  return i;
}

// The commands with options of their own, which take everything after their
// name.
bool HasOwnOptions(std::string_view verb) {
  return verb == "analyse" || verb == "track" || verb == "sources";
}

bool ParseArgs(const std::vector<std::string>& args, Command& cmd) {
  bool options = true;
  for (const auto& a : args) {
    if (options && a == "--") {
      options = false;
    } else if (options && a == "--gb") {
      cmd.gb = true;
    } else if (options && (a == "--help" || a == "-h")) {
      cmd.help = true;
    } else if (options && a == "--version") {
      cmd.version = true;
    } else if (options && a.size() > 2 && a.compare(0, 2, "--") == 0) {
      return false;
    } else {
      cmd.words.push_back(a);
    }
  }
  return true;
}

// Reads FILE, or the standard input when no file is named.
bool ReadInput(const std::vector<std::string>& words, std::size_t file_at, std::istream& in,
               Bytes& data, std::ostream& err) {
  if (file_at < words.size()) {
    if (ReadFileBytes(words[file_at], data, kMaxInputBytes)) return true;
    err << "vexo-cli: cannot read " << words[file_at] << "\n";
    return false;
  }
  data.clear();
  char buf[65536];
  while (in.read(buf, sizeof buf) || in.gcount() > 0) {
    data.append(buf, static_cast<std::size_t>(in.gcount()));
    if (data.size() > kMaxInputBytes) {
      err << "vexo-cli: standard input is larger than 64 MB\n";
      return false;
    }
  }
  return true;
}

}  // namespace

std::string CliSubcommand(const std::vector<std::string>& args) {
  Command cmd;
  const std::size_t at = ParseGlobalOptions(args, cmd);
  return at < args.size() ? args[at] : std::string();
}

int RunCli(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
           std::ostream& err) {
  Command global;
  const std::size_t verb_at = ParseGlobalOptions(args, global);
  if (!global.help && !global.version && verb_at < args.size() && HasOwnOptions(args[verb_at])) {
    std::vector<std::string> rest(args.begin() + static_cast<std::ptrdiff_t>(verb_at) + 1,
                                  args.end());
    if (global.gb) rest.insert(rest.begin(), "--gb");
    if (args[verb_at] == "track") return RunTrackCommand(rest, out, err);
    if (args[verb_at] == "sources") return RunSourcesCommand(rest, out, err);
    return RunAnalyseCommand(rest, in, out, err);
  }
  Command cmd;
  if (!ParseArgs(args, cmd)) {
    err << kUsage;
    return kCliBadUsage;
  }
  if (cmd.help) {
    out << kUsage << "\n" << kHelp;
    return kCliOk;
  }
  if (cmd.version) {
    out << "vexo-cli " << kVersion << "\n";
    return kCliOk;
  }
  const auto& w = cmd.words;
  const std::string_view verb = w.empty() ? std::string_view() : std::string_view(w[0]);
  const std::size_t operands = w.empty() ? 0 : w.size() - 1;
  const auto from_terminal = [&cmd](std::string_view s) { return cmd.gb ? Bytes(s) : Utf8ToGb(s); };
  const auto to_terminal = [&cmd](std::string_view s) { return cmd.gb ? Bytes(s) : GbToUtf8(s); };

  Bytes result;
  bool line = true;  // text results end with a line break, raw conversions do not
  if ((verb == "normalize" || verb == "split-mixed" || verb == "encode-query") && operands == 1) {
    const Bytes arg = from_terminal(w[1]);
    const Bytes gb = verb == "normalize"     ? NormalizeExpression(arg)
                     : verb == "split-mixed" ? SplitMixedKeywords(arg)
                                             : EncodeQueryKeywords(arg);
    result = to_terminal(gb);
  } else if (verb == "match" && (operands == 1 || operands == 2)) {
    Bytes page;
    if (!ReadInput(w, 2, in, page, err)) return kCliFailed;
    const PreparedExpression expr = PrepareExpression(from_terminal(w[1]));
    const Bytes lowered = Lower(from_terminal(page));
    result = IntToText(FirstTermPosition(expr, lowered)) + " " +
             IntToText(MatchExpression(expr, lowered));
  } else if ((verb == "big5-to-gb" || verb == "utf8-to-gb") && operands <= 1) {
    Bytes page;
    if (!ReadInput(w, 1, in, page, err)) return kCliFailed;
    result = verb == "big5-to-gb" ? Big5ToGb(page) : Utf8ToAnsi(page);
    line = false;
  } else {
    err << kUsage;
    return kCliBadUsage;
  }

  out.write(result.data(), static_cast<std::streamsize>(result.size()));
  if (line) out << "\n";
  out.flush();
  if (!out) {
    err << "vexo-cli: cannot write the output\n";
    return kCliFailed;
  }
  return kCliOk;
}

}  // namespace vexo
