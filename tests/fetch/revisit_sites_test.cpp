// The revisited sites the benchmark serves: what each kind of request gets,
// and a revisit pass through the client and its validators over https, so
// that the benchmark's two passes fetch what they claim to.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fetch/body_inflater.h"
#include "fetch/http_client.h"
#include "fetch/revisit_validators.h"
#include "tests/fetch/tls_client_fixture.h"
#include "tests/support/revisit_sites.h"

namespace vexo::testing {
namespace {

constexpr std::size_t kPageBytes = 4096;

std::string Inflated(const std::string& gzipped) {
  BodyInflater inflater(1024);
  inflater.Start(ContentCoding::Gzip);
  inflater.Feed(gzipped.data(), gzipped.size());
  std::string out;
  std::string_view piece;
  BodyInflater::Step step;
  while ((step = inflater.Next(piece)) == BodyInflater::Step::kMore) out += piece;
  out += piece;
  return step == BodyInflater::Step::kEnd ? out : "(corrupt)";
}

std::string Request(const std::string& host, const std::string& lines) {
  return "GET / HTTP/1.0\r\nHost: " + host + "\r\n" + lines + "\r\n";
}

TEST(RevisitSitesTest, PagesAreHtmlOfTheirSizeThatCompressLikePages) {
  RevisitSites sites(2, kPageBytes);
  const std::string before = sites.Page(1);
  EXPECT_EQ(before.size(), kPageBytes);
  EXPECT_EQ(before.rfind("<!DOCTYPE html>", 0), 0u);
  EXPECT_NE(sites.Page(0), before);
  EXPECT_EQ(Inflated(sites.Gzipped(1)), before);
  // Text, not a repeated byte: between two and eight times smaller.
  EXPECT_LT(sites.Gzipped(1).size(), kPageBytes / 2);
  EXPECT_GT(sites.Gzipped(1).size(), kPageBytes / 8);
  sites.Change(1);
  EXPECT_NE(sites.Page(1), before);
  EXPECT_EQ(sites.Page(1).size(), kPageBytes);
}

TEST(RevisitSitesTest, AnswersByHostValidatorAndEncoding) {
  RevisitSites sites(3, kPageBytes);
  sites.Change(2);
  const std::string page = sites.Page(2);
  const std::string gzipped = sites.Gzipped(2);
  struct Case {
    std::string host;
    std::string lines;
    std::string status;
    std::string body;
  };
  const std::vector<Case> cases = {
      {"site2.revisit.test", "", "HTTP/1.1 200 OK", page},
      {"SITE2.revisit.test:443", "Accept-Encoding: gzip, deflate\r\n", "HTTP/1.1 200 OK", gzipped},
      {"site2.revisit.test", "If-None-Match: \"2-1\"\r\n", "HTTP/1.1 304 Not Modified", ""},
      {"site2.revisit.test", "If-None-Match: \"2-0\"\r\nAccept-Encoding: gzip\r\n",
       "HTTP/1.1 200 OK", gzipped},
      {"site3.revisit.test", "", "HTTP/1.1 404 Not Found", ""},
      {"site2.revisit.test.evil", "", "HTTP/1.1 404 Not Found", ""},
      {"site-1.revisit.test", "", "HTTP/1.1 404 Not Found", ""},
      {"", "", "HTTP/1.1 404 Not Found", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.host + " | " + c.lines);
    const std::string answer = sites.Answer(Request(c.host, c.lines));
    EXPECT_EQ(answer.substr(0, answer.find("\r\n")), c.status);
    const auto end = answer.find("\r\n\r\n");
    ASSERT_NE(end, std::string::npos);
    EXPECT_EQ(answer.substr(end + 4), c.body);
    EXPECT_EQ(answer.find("Content-Encoding: gzip") != std::string::npos,
              !c.body.empty() && c.body == gzipped);
  }
}

class RevisitPassTest : public TlsClientTest {
 protected:
  struct Outcome {
    int status = 0;
    std::string body;
  };
  // Fetches every root in turn as the program revisits them.
  std::vector<Outcome> Pass(const RevisitSites& sites, RevisitValidators& validators) {
    std::vector<Outcome> out;
    for (int i = 0; i < sites.Count(); ++i) {
      HttpClient c;
      ClientRecorder r;
      Prepare(c, r, RevisitSites::Url(i));
      c.AcceptCompressed = true;
      c.ExtraHeaders = validators.HeadersFor(c.URL);
      c.StartGet();
      EXPECT_TRUE(Finish(r));
      if (c.StatusCode() == 200) validators.Remember(c.URL, c.ReceivedHeaderLines());
      out.push_back({c.StatusCode(), r.body});
    }
    return out;
  }
};

TEST_F(RevisitPassTest, SecondPassGets304ForUnchangedRootsAndWholePagesForChanged) {
  RevisitSites sites(4, kPageBytes);
  TlsTestServer server(ca_.Issue({std::string("*") + RevisitSites::kDomain}),
                       [&](const std::string& r) { return sites.Answer(r); });
  SetConnectToMap(std::string(kOfflineConnectTo) +
                  ",*:443=127.0.0.1:" + std::to_string(server.Port()));
  RevisitValidators validators;
  for (const Outcome& o : Pass(sites, validators)) EXPECT_EQ(o.status, 200);
  sites.Change(1);
  sites.Change(3);
  const std::vector<Outcome> second = Pass(sites, validators);
  ASSERT_EQ(second.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    const auto& o = second[static_cast<std::size_t>(i)];
    EXPECT_EQ(o.status, i % 2 ? 200 : 304);
    EXPECT_EQ(o.body, i % 2 ? sites.Page(i) : "");
  }
  ASSERT_EQ(server.Requests().size(), 8u);
  EXPECT_NE(server.Requests()[4].find("If-None-Match: \"0-0\""), std::string::npos);
}

}  // namespace
}  // namespace vexo::testing
