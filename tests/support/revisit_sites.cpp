#include "tests/support/revisit_sites.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <string_view>

#include "tests/support/zlib_streams.h"

namespace vexo::testing {
namespace {

// Deterministic, so that every run serves the same bytes.
struct Lcg {
  std::uint32_t s;
  std::uint32_t Next(std::uint32_t n) {
    s = s * 1664525u + 1013904223u;
    return (s >> 8) % n;
  }
};

// A word of two to four syllables from a fixed set: text with the
// repetition of a language, not of a pattern.
std::string Word(Lcg& r) {
  static constexpr const char* kSyllables[] = {"an", "ber", "chi", "do",  "el",  "fa", "gu", "hin",
                                               "io", "ka",  "lo",  "man", "ne",  "or", "pi", "qua",
                                               "ro", "sa",  "tu",  "ve",  "wen", "xi", "yo", "zu"};
  const std::uint32_t n = 2 + r.Next(3);
  std::string w;
  for (std::uint32_t k = 0; k < n; ++k) w += kSyllables[r.Next(std::size(kSyllables))];
  return w;
}

std::string MakePage(int site, int version, std::size_t bytes) {
  Lcg r{static_cast<std::uint32_t>(site) * 7919u + static_cast<std::uint32_t>(version) * 104729u};
  std::string page = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Site " +
                     std::to_string(site) + ", edition " + std::to_string(version) +
                     "</title></head>\n<body><div id=\"main\">\n";
  while (page.size() < bytes) {
    page +=
        "<div class=\"item\"><a href=\"/news/" + std::to_string(10000 + r.Next(90000)) + ".html\">";
    for (std::uint32_t k = 4 + r.Next(8); k > 0; --k) page += Word(r) + (k > 1 ? " " : "");
    page += "</a> <span class=\"date\">2024-" + std::to_string(10 + r.Next(3)) + "-" +
            std::to_string(10 + r.Next(19)) + "</span></div>\n";
  }
  page.resize(bytes);
  return page;
}

// The value of the request's field name (lower case, with its colon), or
// empty.
std::string_view Field(const std::string& request, std::string_view name) {
  std::size_t at = request.find('\n');
  while (at != std::string::npos) {
    const std::string_view line(request.data() + at + 1,
                                std::min(request.find('\n', at + 1), request.size()) - at - 1);
    if (line.size() > name.size() &&
        std::equal(name.begin(), name.end(), line.begin(), [](char a, char b) {
          return a == std::tolower(static_cast<unsigned char>(b));
        })) {
      std::string_view v = line.substr(name.size());
      while (!v.empty() && v.front() == ' ') v.remove_prefix(1);
      while (!v.empty() && (v.back() == '\r' || v.back() == ' ')) v.remove_suffix(1);
      return v;
    }
    at = request.find('\n', at + 1);
  }
  return {};
}

// site<i> from "site<i>.revisit.test[:port]" in any case; -1 for any other
// host.
int SiteOfHost(std::string_view field, int count) {
  std::string lower(field.substr(0, field.find(':')));
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const std::string_view host = lower;
  const std::string_view domain = RevisitSites::kDomain;
  if (host.size() <= 4 + domain.size() || host.substr(0, 4) != "site" ||
      host.substr(host.size() - domain.size()) != domain)
    return -1;
  const std::string_view digits = host.substr(4, host.size() - 4 - domain.size());
  if (digits.size() > 6 || !std::all_of(digits.begin(), digits.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
      }))
    return -1;
  const int i = std::atoi(std::string(digits).c_str());
  return i < count ? i : -1;
}

std::string LastModified(int site, int version) {
  const std::time_t t = 1704067200 + static_cast<std::time_t>(version) * 3600 + site;
  std::tm tm{};
  gmtime_r(&t, &tm);
  char buf[64];
  std::strftime(buf, sizeof buf, "%a, %d %b %Y %H:%M:%S GMT", &tm);
  return buf;
}

}  // namespace

RevisitSites::RevisitSites(int count, std::size_t page_bytes)
    : page_bytes_(page_bytes), sites_(static_cast<std::size_t>(count)) {
  for (int i = 0; i < count; ++i) Build(i);
}

std::string RevisitSites::Url(int i) {
  return "https://site" + std::to_string(i) + kDomain + "/";
}

void RevisitSites::Build(int i) {
  Site& s = sites_[static_cast<std::size_t>(i)];
  s.page = MakePage(i, s.version, page_bytes_);
  // Level 6: what servers use when they compress as they answer.
  s.gzipped = Compress(s.page, 16 + 15, 6);
}

void RevisitSites::Change(int i) {
  const std::lock_guard<std::mutex> lock(mutex_);
  ++sites_[static_cast<std::size_t>(i)].version;
  Build(i);
}

std::string RevisitSites::Page(int i) const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return sites_[static_cast<std::size_t>(i)].page;
}

std::string RevisitSites::Gzipped(int i) const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return sites_[static_cast<std::size_t>(i)].gzipped;
}

std::string RevisitSites::Answer(const std::string& request) const {
  const int i = SiteOfHost(Field(request, "host:"), Count());
  if (i < 0) return "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
  const std::lock_guard<std::mutex> lock(mutex_);
  const Site& s = sites_[static_cast<std::size_t>(i)];
  const std::string etag = "\"" + std::to_string(i) + "-" + std::to_string(s.version) + "\"";
  const std::string validators =
      "ETag: " + etag + "\r\nLast-Modified: " + LastModified(i, s.version) + "\r\n";
  if (Field(request, "if-none-match:") == etag)
    return "HTTP/1.1 304 Not Modified\r\n" + validators + "Connection: close\r\n\r\n";
  const bool gzip = Field(request, "accept-encoding:").find("gzip") != std::string_view::npos;
  const std::string& body = gzip ? s.gzipped : s.page;
  return "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n" + validators +
         "Vary: Accept-Encoding\r\n" + (gzip ? "Content-Encoding: gzip\r\n" : "") +
         "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

}  // namespace vexo::testing
