#include "cli/sources_command.h"

#include <ostream>

#include "cli/cli_commands.h"
#include "parser/source_set.h"
#include "parser/source_urls.h"
#include "platform/codepage.h"
#include "platform/folders.h"
#include "platform/ini_profile.h"

namespace vexo {

namespace {

const char* KindName(const Source& s) {
  if (s.kind == SourceKind::kFeed) return "feed";
  return s.reading == SourceReading::kListing ? "html (listing)" : "html";
}

}  // namespace

int RunSourcesCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  bool gb = false;
  std::vector<std::string> rest;
  for (const std::string& a : args) {
    if (a == "--gb") {
      gb = true;
    } else {
      rest.push_back(a);
    }
  }
  const bool urls = !rest.empty() && rest[0] == "--urls";
  if ((urls && rest.size() != 2) || (!urls && !rest.empty())) {
    err << "usage: vexo-cli sources [--urls KEYWORDS]\n";
    return kCliBadUsage;
  }
  const FolderEnvironment env = CurrentFolderEnvironment();
  IniProfile ini(ConfigFilePath(env));
  ini.Load();
  StringList problems;
  const SourceSet set =
      LoadSourceSet(ini, ProgramFolder(env), SharedDataFolder(env.executable), &problems);
  for (const Bytes& p : problems) err << "vexo-cli: " << p << "\n";
  if (urls) {
    const Bytes keywords = gb ? Bytes(rest[1]) : Utf8ToGb(rest[1]);
    // The addresses are ASCII but for GB2312 keywords, shown as typed.
    for (const Bytes& url : FullPassUrls(set, keywords)) out << (gb ? url : GbToUtf8(url)) << "\n";
  } else {
    out << "source set: " << set.name << "\n";
    for (const Source& s : set.sources) {
      out << s.name << "\t" << KindName(s) << "\tpages " << s.pages << (s.front ? "\tfront" : "")
          << "\t" << s.url << "\n";
    }
  }
  out.flush();
  return out ? kCliOk : kCliFailed;
}

}  // namespace vexo
