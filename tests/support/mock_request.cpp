#include "tests/support/mock_request.h"

#include <cstdlib>

namespace vexo::testing {
namespace {

std::string ToLower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return s;
}

}  // namespace

std::string MockHeader(const std::string& request, std::string_view lower_name) {
  const std::string lower = ToLower(request);
  const auto h = lower.find("\r\n" + std::string(lower_name) + ":");
  if (h == std::string::npos) return {};
  auto b = h + 3 + lower_name.size();
  while (b < request.size() && request[b] == ' ') ++b;
  const auto e = request.find("\r\n", b);
  return request.substr(b, e == std::string::npos ? std::string::npos : e - b);
}

MockRequest ParseMockRequest(const std::string& request) {
  MockRequest r;
  const auto sp1 = request.find(' ');
  const auto sp2 = sp1 == std::string::npos ? sp1 : request.find(' ', sp1 + 1);
  if (sp2 != std::string::npos) r.path = request.substr(sp1 + 1, sp2 - sp1 - 1);
  r.host = ToLower(MockHeader(request, "host"));
  const auto colon = r.host.find(':');
  if (colon != std::string::npos) r.host.resize(colon);
  return r;
}

long QueryNumber(const std::string& path, const std::string& key) {
  const std::string leads[] = {"?" + key + "=", "&" + key + "="};
  for (const std::string& lead : leads) {
    const auto p = path.find(lead);
    if (p == std::string::npos) continue;
    return std::strtol(path.c_str() + p + lead.size(), nullptr, 10);
  }
  return -1;
}

std::string WholeResponse(const Script& script) {
  std::string out;
  bool ends = false;
  for (const Script::Step& step : script.steps) {
    if (step.kind == Script::Step::kSend) out += step.bytes;
    ends = ends || step.kind == Script::Step::kClose || step.kind == Script::Step::kReset;
  }
  return ends ? out : std::string();
}

}  // namespace vexo::testing
