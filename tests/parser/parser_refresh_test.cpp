// Meta refreshes: their targets join the follow-up list, from listing and
// content pages alike.

#include <gtest/gtest.h>

#include "tests/parser/parser_fixture.h"

namespace vexo::parser_test {
namespace {

const std::string kPage = "http://www.site.com/dir/p.htm";

class RefreshTest : public ParserTest {};

struct RefreshCase {
  const char* meta;
  const char* expected;  // nullptr: nothing is followed
};

TEST_F(RefreshTest, RefreshTargetsAreMadeAbsoluteAndFollowedOnce) {
  const std::vector<RefreshCase> cases = {
      {"<meta http-equiv=\"refresh\" content=\"0; url=/next.htm\">",
       "http://www.site.com/next.htm"},
      {"<META HTTP-EQUIV='Refresh' CONTENT='5;URL=next.htm'>", "http://www.site.com/dir/next.htm"},
      {"<meta http-equiv=refresh content=0;url=http://www.b.com/x.htm>", "http://www.b.com/x.htm"},
      {"<meta http-equiv=\"refresh\" content=\"0;url= http://www.b.com/y.asp?a=1&amp;b=2\">",
       nullptr},  // a blank after "url=" ends the address before it starts
      {"<meta http-equiv=\"refresh\" content=\"0;url=http://www.google.com/x.htm\">", nullptr},
      {"<meta http-equiv=\"refresh\" content=\"0;url=/#top\">", nullptr},
      {"<meta http-equiv=\"refresh\" content=\"30\">", nullptr},
      {"<meta name=\"refresh\" content=\"0;url=/next.htm\">", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.meta);
    for (int tag : {3, 51, 51}) {
      const Bytes html = "<html><head>" + Bytes(c.meta) + "</head><body>x</body></html>";
      Analyse(tag, html, kPage, Gb("手机"));
    }
    if (c.expected) {
      EXPECT_EQ(FollowUp(), StringList{c.expected});
    } else {
      EXPECT_TRUE(FollowUp().empty());
    }
    FollowUp().clear();
  }
}

TEST_F(RefreshTest, HttpsPagesAndTargetsKeepTheirScheme) {
  struct Case {
    const char* page;
    const char* url;
    const char* expected;
  };
  const Case cases[] = {
      {"https://www.site.com/dir/p.htm", "/next.htm", "https://www.site.com/next.htm"},
      {"https://www.site.com/dir/p.htm", "next.htm", "https://www.site.com/dir/next.htm"},
      {"HTTPS://www.site.com", "/next.htm", "HTTPS://www.site.com/next.htm"},
      {"https://www.site.com", "next.htm", "https://www.site.com/next.htm"},
      {kPage.c_str(), "https://www.b.com/x.htm", "https://www.b.com/x.htm"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.page + std::string(" ") + c.url);
    FollowUp().clear();
    Analyse(51, "<meta http-equiv=refresh content=0;url=" + Bytes(c.url) + ">", c.page, "x");
    EXPECT_EQ(FollowUp(), StringList{c.expected});
  }
}

TEST_F(RefreshTest, AQuotedAddressAfterUrlIsTakenWithoutItsQuote) {
  Analyse(51, "<meta http-equiv=\"refresh\" content=\"0;url='/q.htm'\">", kPage, "x");
  // The address stops at its opening quote: nothing to follow.
  EXPECT_TRUE(FollowUp().empty());
}

TEST_F(RefreshTest, NoFollowUpListNoFollowing) {
  host.store.DestroyLists();
  Analyse(51, "<meta http-equiv=refresh content=0;url=/next.htm>", kPage, "x");
  EXPECT_EQ(host.store.FollowUp(), nullptr);
}

TEST_F(RefreshTest, RefreshAtTheVeryEndOfThePieceStaysInside) {
  for (const char* tail : {"http-equiv=refresh", "http-equiv=refresh url=", "http-equiv=refresh u",
                           "http-equiv=\"refresh\"url=/abcdefghij"}) {
    Analyse(51, tail, kPage, "x");
  }
  // Only the last one has an address; it runs to the end of the piece less
  // its last byte.
  EXPECT_EQ(FollowUp(), StringList{"http://www.site.com/abcdefghi"});
}

}  // namespace
}  // namespace vexo::parser_test
