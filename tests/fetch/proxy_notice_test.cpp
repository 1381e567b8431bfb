// The status line hears of a proxy's failure once, until the proxy works again.
#include "fetch/proxy_notice.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "texts/texts.h"

namespace vexo {
namespace {

TEST(ProxyNotice, TellsTheFirstFailureUntilAProxiedRequestSucceeds) {
  std::vector<Bytes> told;
  SetProxyFailureHook([&](const Bytes& text) { told.push_back(text); });
  const ProxyOutcome refused{true, kErrorProxyRefused, 403};
  ReportProxyOutcome(refused);
  ReportProxyOutcome({true, kErrorProxyUnreachable, 0});
  ReportProxyOutcome({false, 0, 0});               // direct: says nothing of the proxy
  ReportProxyOutcome({true, kErrorCancelled, 0});  // the site's trouble, not the proxy's
  ReportProxyOutcome({true, kErrorTlsCertificate, 0});
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0], Texts().sbar_proxy_failed_before + Texts().sbar_proxy_refused + "403");
  ReportProxyOutcome({true, 0, 0});
  ReportProxyOutcome({true, kErrorSocksConnect, 5});
  ASSERT_EQ(told.size(), 2u);
  EXPECT_EQ(told[1], Texts().sbar_proxy_failed_before + Texts().sbar_proxy_connect + "5");
  SetProxyFailureHook(nullptr);
  ReportProxyOutcome({true, 0, 0});
  ReportProxyOutcome(refused);  // no hook: nowhere to go, and no crash
  EXPECT_EQ(told.size(), 2u);
}

TEST(ProxyNotice, EveryProxyErrorHasItsOwnText) {
  std::set<Bytes> texts;
  for (int error = kErrorProxyUnreachable; error <= kErrorProxyProtocol; ++error) {
    EXPECT_TRUE(IsProxyError(error));
    texts.insert(ProxyFailureText(error, 0));
  }
  EXPECT_EQ(texts.size(), 6u);
  EXPECT_FALSE(IsProxyError(kErrorContentEncoding));
  EXPECT_FALSE(IsProxyError(0));
}

}  // namespace
}  // namespace vexo
