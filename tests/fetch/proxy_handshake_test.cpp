// The handshake with a proxy reads its answer and not one byte more.
#include "fetch/proxy_handshake.h"

#include <gtest/gtest.h>

#include "fetch/http_client.h"

namespace vexo {
namespace {

ProxyServer Server(ProxyKind kind) {
  ProxyServer p;
  p.kind = kind;
  p.host = "proxy";
  p.port = 1080;
  return p;
}

// Feeds `stream` as the handshake asks for it; returns the bytes taken.
std::size_t Feed(ProxyHandshake& h, const std::string& stream, ProxyHandshake::Outcome& last) {
  std::size_t at = 0;
  last = ProxyHandshake::Outcome::kMore;
  while (last == ProxyHandshake::Outcome::kMore && at < stream.size()) {
    const std::size_t n = std::min(h.Wanted(), stream.size() - at);
    EXPECT_GE(n, 1u);
    Bytes send;
    last = h.Take(std::string_view(stream).substr(at, n), send);
    at += n;
  }
  return at;
}

TEST(ProxyHandshake, StopsAtTheEndOfTheAnswer) {
  const std::string tunnel = "\x16\x03\x01 first bytes of the site";
  const std::string socks_ok("\x05\x00\x05\x00\x00\x03\x04name\x01\xbb", 13);
  const struct {
    const char* name;
    ProxyKind kind;
    std::string answer;
  } cases[] = {
      {"CRLF head", ProxyKind::kHttp, "HTTP/1.1 200 Connection established\r\nVia: x\r\n\r\n"},
      {"LF head", ProxyKind::kHttp, "HTTP/1.0 200 OK\n\n"},
      {"SOCKS with a bound name", ProxyKind::kSocks5h, socks_ok},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ProxyHandshake h(Server(c.kind), "site.test", 443);
    ProxyHandshake::Outcome last;
    EXPECT_EQ(Feed(h, c.answer + tunnel, last), c.answer.size());
    EXPECT_EQ(last, ProxyHandshake::Outcome::kDone);
  }
}

TEST(ProxyHandshake, HostileAnswersFail) {
  const struct {
    const char* name;
    ProxyKind kind;
    std::string answer;
    int error;
    int reply;
  } cases[] = {
      {"endless head", ProxyKind::kHttp, "HTTP/1.1 200 OK\r\n" + std::string(40000, 'x'),
       kErrorProxyProtocol, 0},
      {"not HTTP", ProxyKind::kHttp, "SSH-2.0\r\n\r\n", kErrorProxyProtocol, 0},
      {"refused", ProxyKind::kHttp, "HTTP/1.1 403 No\r\n\r\n", kErrorProxyRefused, 403},
      {"SOCKS4 answer", ProxyKind::kSocks5h, std::string("\x04\x00", 2), kErrorProxyProtocol, 0},
      {"password not offered", ProxyKind::kSocks5h, "\x05\x02", kErrorSocksMethod, 2},
      {"bad address type", ProxyKind::kSocks5h, std::string("\x05\x00\x05\x00\x00\x09\x00", 7),
       kErrorProxyProtocol, 0},
      {"TTL expired", ProxyKind::kSocks5h, std::string("\x05\x00\x05\x06\x00\x01\x00", 7),
       kErrorSocksConnect, 6},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ProxyHandshake h(Server(c.kind), "site.test", 80);
    ProxyHandshake::Outcome last;
    Feed(h, c.answer, last);
    EXPECT_EQ(last, ProxyHandshake::Outcome::kFailed);
    EXPECT_EQ(h.Error(), c.error);
    EXPECT_EQ(h.Reply(), c.reply);
  }
}

TEST(ProxyHandshake, SocksAsksForTheNameOrTheAddress) {
  Bytes send;
  ProxyHandshake by_name(Server(ProxyKind::kSocks5h), "site.test", 443);
  EXPECT_EQ(by_name.Opening(), Bytes("\x05\x01\x00", 3));
  by_name.Take(Bytes("\x05\x00", 2), send);
  EXPECT_EQ(send, Bytes("\x05\x01\x00\x03\x09site.test\x01\xbb", 16));
  ProxyHandshake by_address(Server(ProxyKind::kSocks5), "site.test", 80, "10.0.0.7");
  by_address.Take(Bytes("\x05\x00", 2), send);
  EXPECT_EQ(send, Bytes("\x05\x01\x00\x01\x0a\x00\x00\x07\x00\x50", 10));
  ProxyHandshake unresolved(Server(ProxyKind::kSocks5), "site.test", 80, "");
  EXPECT_EQ(unresolved.Take(Bytes("\x05\x00", 2), send), ProxyHandshake::Outcome::kFailed);
}

}  // namespace
}  // namespace vexo
