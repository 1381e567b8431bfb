#pragma once
// The status line says once that the proxy failed, and why: the first failure
// is told, the next ones not, until a request through a proxy succeeds again.
// The text names the failure and the proxy's answer, never its address or
// credentials.

#include <functional>

#include "fetch/http_client.h"

namespace vexo {

// What a finished request says about its proxy, kept before its owner
// releases the client.
struct ProxyOutcome {
  bool through_proxy = false;
  int error = 0;
  int reply = 0;
};

ProxyOutcome ProxyOutcomeOf(const HttpClient& client);
// Whether error is one of the proxy's (kErrorProxyUnreachable ...).
bool IsProxyError(int error);
// The status-line text of a proxy failure.
Bytes ProxyFailureText(int error, int reply);

// Where the text goes (the main window's status line); none: nowhere.
void SetProxyFailureHook(std::function<void(const Bytes& text)> hook);
// Tells the hook about a failure, once, as above.
void ReportProxyOutcome(const ProxyOutcome& outcome);

}  // namespace vexo
