#include "fetch/proxy_notice.h"

#include "texts/texts.h"

namespace vexo {
namespace {

// Main-thread state, like the clients that report to it.
struct Notice {
  std::function<void(const Bytes&)> hook;
  bool told = false;
};

Notice& TheNotice() {
  static Notice notice;
  return notice;
}

}  // namespace

ProxyOutcome ProxyOutcomeOf(const HttpClient& client) {
  return {client.ThroughProxy(), client.RequestError(), client.ProxyReply()};
}

bool IsProxyError(int error) {
  return error >= kErrorProxyUnreachable && error <= kErrorProxyProtocol;
}

Bytes ProxyFailureText(int error, int reply) {
  const ShellTexts& t = Texts();
  Bytes reason;
  switch (error) {
    case kErrorProxyUnreachable:
      reason = t.sbar_proxy_unreachable;
      break;
    case kErrorProxyRefused:
      reason = t.sbar_proxy_refused + IntToText(reply);
      break;
    case kErrorProxyAuth:
      reason = t.sbar_proxy_auth;
      break;
    case kErrorSocksMethod:
      reason = t.sbar_proxy_method;
      break;
    case kErrorSocksConnect:
      reason = t.sbar_proxy_connect + IntToText(reply);
      break;
    default:
      reason = t.sbar_proxy_protocol;
      break;
  }
  return t.sbar_proxy_failed_before + reason;
}

void SetProxyFailureHook(std::function<void(const Bytes& text)> hook) {
  TheNotice().hook = std::move(hook);
  TheNotice().told = false;
}

void ReportProxyOutcome(const ProxyOutcome& outcome) {
  Notice& notice = TheNotice();
  if (!outcome.through_proxy) return;
  if (!IsProxyError(outcome.error)) {
    if (outcome.error == 0) notice.told = false;
    return;
  }
  if (notice.told) return;
  notice.told = true;
  if (notice.hook) notice.hook(ProxyFailureText(outcome.error, outcome.reply));
}

}  // namespace vexo
