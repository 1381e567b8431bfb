#pragma once
// The sources a tracking run asks, described as data: search engines' result
// pages and news feeds, each with its query address template, how many pages
// a pass asks, how its pages are recognised and read, and how a block shows.
// Two sets ship ("classic", the engines of the program's first design, and
// "current", engines that answer today); a user's own file adds to or
// replaces sources of the set in effect by name.
//
// The file format, UTF-8 text:
//   # a comment
//   [name]                   one section per source, names [a-z0-9_-]
//   key = value
// List keys (labels, results, address_attributes, address_parameters,
// redirects, block_locations, block_statuses) take words separated by blanks
// and may repeat; "highlight" takes one whole tag per line and may repeat.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "parser/result_reading.h"
#include "platform/bytes.h"

namespace vexo {

class IniProfile;

enum class SourceKind { kHtml, kFeed };
// kListing: the page is analysed piece by piece as it arrives, every link
// with the text after it (the engines of the first design). kResults: the
// page is read whole, result by result.
enum class SourceReading { kListing, kResults };
enum class QueryEncoding { kGb2312, kUtf8 };

struct Source {
  Bytes name;
  SourceKind kind = SourceKind::kHtml;
  SourceReading reading = SourceReading::kResults;
  // The query address: {q} the encoded keywords, {page} or {offset} the page
  // number as first + (k - 1) * step for page k.
  Bytes url;
  long long first = 0;
  long long step = 10;
  int pages = 1;       // pages a full pass asks; 0 leaves the source out
  int group = 1;       // a full pass asks group 1 page by page, then group 2...
  bool front = false;  // its first page is asked again every pass
  QueryEncoding encoding = QueryEncoding::kUtf8;
  StringList labels;  // host labels by which its pages are recognised
  Bytes host_key;     // a key of [vexo] whose value may replace the host
  ResultReading results;
  StringList highlight;  // tags around the keywords in its result pages
  StringList block_locations;
  std::vector<int> block_statuses;
  bool block_when_empty = false;  // a result page without results is a block
};

struct SourceSet {
  Bytes name;
  std::vector<Source> sources;
};

// Sources read from a file's text. A section that cannot be a source (no
// url, a bad value) is left out and named in `problems`, one line each.
std::vector<Source> ParseSources(std::string_view text, StringList* problems = nullptr);

// `own` laid over `base`: a source of the same name replaces the base one
// where it stands; new ones are added at the end.
void OverlaySources(std::vector<Source>& base, std::vector<Source> own);

// The set named "classic" or "current"; empty sources for another name.
// `shippedFolder`, when it holds sources-<name>.conf, is read instead of the
// copy built into the program.
SourceSet ShippedSourceSet(std::string_view name, const std::string& shippedFolder = {});
// The built-in text of a shipped set (what share/vexo holds).
std::string_view ShippedSourcesText(std::string_view name);

// Which set is in effect: $VEXO_SOURCES, else the key "sources" of [vexo],
// else "current". An unknown name is reported in `unknown` and "current"
// taken.
Bytes ChosenSourceSetName(const IniProfile& ini, Bytes* unknown = nullptr);

// The hosts the configuration gives (source.host_key = "host[:port]",
// optionally after "http://" or "https://") replace the templates' scheme and
// host, where the value names nothing but a host that holds one of the
// source's labels. Without a scheme in the value, http is used.
void ApplyHostKeys(SourceSet& set, const IniProfile& ini);
bool IsUsableSourceHost(const Source& source, std::string_view value);

// The file a user may keep in the program folder.
inline constexpr std::string_view kOwnSourcesFile = "sources.conf";

// The sources in effect: the chosen set (from shippedFolder when it holds
// it), the user's own file of programFolder laid over it, the configured
// hosts applied. What could not be taken is told in `problems`.
SourceSet LoadSourceSet(const IniProfile& ini, const std::string& programFolder,
                        const std::string& shippedFolder, StringList* problems = nullptr);

}  // namespace vexo
