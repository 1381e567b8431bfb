// The program's own files as other programs, crashes and full disks leave
// them: the INI profile and the CR LF lists (block files, the site queue,
// the news title files), a user's sources file and the cookie file, read from
// fuzzed contents.
#include <unistd.h>

#include <string>

#include "fetch/cookie_jar.h"
#include "fuzz/fuzz_input.h"
#include "parser/source_set.h"
#include "parser/source_urls.h"
#include "platform/files.h"
#include "platform/ini_profile.h"

namespace {

const std::string& ScratchFile() {
  static const std::string path = "/tmp/vexo-fuzz-" + std::to_string(::getpid()) + ".ini";
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vexo;
  fuzz::Input in(data, size);
  const std::string_view value = in.Text();
  const std::string_view contents = in.Rest();

  // A list read back after a save is the list: its lines hold no line break.
  const StringList lines = SplitLines(contents);
  VEXO_FUZZ_CHECK(SplitLines(JoinLines(lines)) == lines);

  // Every source read is one the program can ask and recognise.
  SourceSet set{"own", ParseSources(contents)};
  for (const Source& source : set.sources) {
    const Bytes url = SourcePageUrl(source, source.pages, EncodeKeywordsFor(source, value));
    VEXO_FUZZ_CHECK(StartsWithNoCase(url, "http://") || StartsWithNoCase(url, "https://"));
    (void)SourceOfUrl(set, url);
  }

  if (!WriteFileAtomic(ScratchFile(), contents)) return 0;
  CookieJar jar;
  jar.Load(ScratchFile(), 1700000000);
  (void)jar.HeaderFor("https://www.baidu.com/s", 1700000000);
  IniProfile ini(ScratchFile());
  if (!ini.Load()) return 0;
  (void)ini.ReadInt("vexo", "ts", 1);
  (void)ini.ReadString("vexo", "gjc3", "");
  // What is written is what is read, whatever the file held before.
  ini.WriteString("vexo", "gjc", value);
  Bytes expected(value.substr(0, value.find('\0')));
  for (char& c : expected)
    if (c == '\r' || c == '\n') c = ' ';
  VEXO_FUZZ_CHECK(ini.ReadString("vexo", "gjc", "?") == Trim(expected));
  return 0;
}
