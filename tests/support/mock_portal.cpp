#include "tests/support/mock_portal.h"

#include <cctype>
#include <utility>

namespace vexo::testing {

namespace {

std::string Lowered(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// "host/path" of "http://host/path", the host lower-cased.
std::string KeyOfAddress(std::string_view address) {
  std::string a(address);
  if (a.rfind("http://", 0) == 0) a = a.substr(7);
  const auto slash = a.find('/');
  if (slash == std::string::npos) return Lowered(a) + "/";
  return Lowered(a.substr(0, slash)) + a.substr(slash);
}

// "host/path" of a request: the path of its request line and its Host field.
std::string KeyOfRequest(const std::string& request) {
  std::string path = "/";
  const auto sp1 = request.find(' ');
  if (sp1 != std::string::npos) {
    const auto sp2 = request.find(' ', sp1 + 1);
    path = request.substr(sp1 + 1, sp2 == std::string::npos ? std::string::npos : sp2 - sp1 - 1);
  }
  std::string host;
  const std::string lowered = Lowered(request);
  const auto h = lowered.find("\nhost:");
  if (h != std::string::npos) {
    auto start = h + 6;
    while (start < request.size() && request[start] == ' ') ++start;
    const auto end = request.find_first_of("\r\n", start);
    host =
        Lowered(request.substr(start, end == std::string::npos ? std::string::npos : end - start));
    const auto colon = host.find(':');
    if (colon != std::string::npos) host.resize(colon);
  }
  return host + path;
}

}  // namespace

MockPortal::MockPortal()
    : server_([this](const std::string& request) { return Answer(request); }) {}

void MockPortal::SetPage(std::string_view address, PortalPage page) {
  pages_[KeyOfAddress(address)] = std::move(page);
}

void MockPortal::SetPage(std::string_view address, std::string body) {
  PortalPage page;
  page.body = std::move(body);
  SetPage(address, std::move(page));
}

std::string MockPortal::ConnectToEntry() const {
  return "*=127.0.0.1:" + std::to_string(server_.Port());
}

std::string MockPortal::Anchor(std::string_view link, std::string_view caption) {
  return "<a href=\"" + std::string(link) + "\" target=_blank>" + std::string(caption) + "</a>\r\n";
}

Script MockPortal::Answer(const std::string& request) {
  const std::string key = KeyOfRequest(request);
  requests_.push_back(key);
  const auto it = pages_.find(key);
  if (it == pages_.end()) return Reply("HTTP/1.0 404 Not Found", "", "missing");
  const PortalPage& page = it->second;
  if (page.silent) return Script();
  std::string head = page.status_line + "\r\nContent-Type: text/html\r\n\r\n";
  Script s;
  s.Send(head);
  if (page.piece > 0) {
    s.Pause(page.pause_ms);
    s.SendInPieces(page.body, page.piece, page.pause_ms);
  } else {
    s.Send(page.body);
  }
  return s.Close();
}

}  // namespace vexo::testing
