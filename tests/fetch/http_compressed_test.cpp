// Compressed answers: a gzip or deflate body reaches the handlers inflated,
// in pieces of the usual bounds; a stream that does not inflate ends the
// request with kErrorContentEncoding; a bomb stops at the body bound without
// inflating more than it delivers.
#include <malloc.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "fetch/http_client.h"
#include "tests/fetch/client_fixture.h"
#include "tests/support/zlib_streams.h"

namespace vexo::testing {
namespace {

constexpr int kGzip = 16 + MAX_WBITS;
constexpr int kZlib = MAX_WBITS;
constexpr int kRaw = -MAX_WBITS;

// gzip of `megabytes` MB of zero bytes, about a thousandth of that in size,
// deflating one megabyte only: after a full flush at an empty lookahead,
// deflate starts afresh, so the bytes of one megabyte stand for every other.
std::string ZeroBomb(unsigned megabytes) {
  const std::string zeros(1u << 20, '\0');
  z_stream z{};
  deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, kGzip, 9, Z_DEFAULT_STRATEGY);
  std::string out = Deflate(z, zeros, Z_FULL_FLUSH);  // the header and the first
  const std::string segment = Deflate(z, zeros, Z_FULL_FLUSH);
  std::string tail = Deflate(z, {}, Z_FINISH);
  deflateEnd(&z);
  for (unsigned i = 1; i < megabytes; ++i) out += segment;
  // The trailer the two megabytes got, rewritten for all of them.
  tail.resize(tail.size() - 8);
  const uLong one = crc32(0, reinterpret_cast<const Bytef*>(zeros.data()), zeros.size());
  uLong crc = one;
  for (unsigned i = 1; i < megabytes; ++i) crc = crc32_combine(crc, one, zeros.size());
  const unsigned long long size = static_cast<unsigned long long>(megabytes) << 20;
  for (const unsigned long long v : {static_cast<unsigned long long>(crc), size})
    for (int b = 0; b < 4; ++b) tail += static_cast<char>((v >> (8 * b)) & 0xff);
  return out + tail;
}

// About 20 KB of text that compresses to a quarter or so.
std::string Page() {
  std::string page;
  unsigned seed = 7;
  const char* words[] = {"<p>", "news ", "\xd6\xd0\xce\xc4 ", "link ", "</p>\r\n", "2026 "};
  while (page.size() < 20000) {
    seed = seed * 1103515245u + 12345u;
    page += words[(seed >> 16) % std::size(words)];
    page += std::to_string(seed % 1000);
  }
  return page;
}

std::string Coded(std::string_view encoding, std::string_view body) {
  return "HTTP/1.0 200 OK\r\nContent-Encoding: " + std::string(encoding) + "\r\n\r\n" +
         std::string(body);
}

using CompressedTest = ClientTest;

// Each reply sent in writes of `piece` bytes: the body the handlers get, in
// pieces of the usual bounds, and the request's error. With an error, what
// came before it is the start of `body`.
TEST_F(CompressedTest, BodiesInflateOrEndWithTheirError) {
  const std::string page = Page();
  const std::string short_page = page.substr(0, 300);
  const std::string gz = Compress(page, kGzip);
  const std::string raw = Compress(page, kRaw);
  std::string bad_crc = gz;
  bad_crc[gz.size() - 6] ^= 1;
  std::string bad_block = gz;
  bad_block[10] = 0x07;  // a final block of the reserved type
  const std::size_t whole = 1 << 20;
  const struct {
    const char* name;
    std::string reply;
    std::size_t piece;
    std::string body;
    int error;
  } cases[] = {
      {"gzip", Coded("gzip", gz), whole, page, 0},
      {"x-gzip in small writes", Coded("x-gzip", gz), 7, page, 0},
      {"gzip byte by byte", Coded(" GZip ", Compress(short_page, kGzip)), 1, short_page, 0},
      {"zlib under gzip's name", Coded("gzip", Compress(page, kZlib)), whole, page, 0},
      {"bytes after the end", Coded("identity, gzip", gz + "trailing"), 4096, page, 0},
      {"an empty stream", Coded("gzip", Compress("", kGzip)), whole, "", 0},
      {"deflate", Coded("deflate", Compress(page, kZlib)), whole, page, 0},
      {"deflate byte by byte", Coded("deflate", Compress(short_page, kZlib)), 1, short_page, 0},
      {"raw deflate", Coded("Deflate", raw + std::string(100000, 'g')), 7, page, 0},
      {"raw deflate byte by byte", Coded("deflate", Compress(short_page, kRaw)), 1, short_page, 0},
      {"br passes through", Coded("br", gz), whole, gz, 0},
      {"stacked codings pass through", Coded("gzip, gzip", gz), whole, gz, 0},
      {"a page without a header", "Content-Encoding: gzip\r\n<html>\r\nplain", whole, "<html>plain",
       0},
      // A header whose comment never ends inflates to nothing: its
      // compressed bytes are held to the body's bound too.
      {"a stream that never yields",
       Coded("gzip", std::string("\x1f\x8b\x08\x10\0\0\0\0\0\x03", 10) +
                         std::string(HttpClient::kMaxBodyBytes + 300000, 'c')),
       whole, "", 0},
      {"cut in half", Coded("gzip", gz.substr(0, gz.size() / 2)), 1000, page,
       kErrorContentEncoding},
      {"trailer missing", Coded("gzip", gz.substr(0, gz.size() - 8)), whole, page,
       kErrorContentEncoding},
      {"a wrong checksum", Coded("gzip", bad_crc), whole, page, kErrorContentEncoding},
      {"an invalid block", Coded("gzip", bad_block), whole, "", kErrorContentEncoding},
      {"not compressed at all", Coded("gzip", "<html>plain</html>"), whole, "",
       kErrorContentEncoding},
      {"one byte of deflate", Coded("deflate", "\x78"), whole, "", kErrorContentEncoding},
      {"raw deflate cut short", Coded("deflate", raw.substr(0, 1000)), 3, page,
       kErrorContentEncoding},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TestHttpServer server(
        [&](const std::string&) { return Script().SendInPieces(c.reply, c.piece).Close(); });
    HttpClient client;
    ClientRecorder r;
    ASSERT_TRUE(GetFrom(client, r, server.Url()));
    EXPECT_EQ(r.done, 1);
    EXPECT_EQ(r.done_error, c.error);
    const int status = c.reply.starts_with("HTTP/") ? 200 : 0;
    EXPECT_EQ(client.StatusCode(), c.error ? kStatusConnectFailed : status);
    if (c.error) {
      EXPECT_TRUE(c.body.starts_with(r.body));
    } else {
      EXPECT_EQ(r.body, c.body);
    }
    EXPECT_EQ(client.ReceivedCount(), static_cast<long long>(r.body.size()));
    EXPECT_TRUE(r.pieces_zero_terminated);
    for (const auto& p : r.pieces)
      EXPECT_LE(p.size(), static_cast<std::size_t>(HttpClient::kReceiveBufferSize));
  }
}

// Peak heap in use while the handlers run, above what was in use before.
struct HeapWatch {
  static long long InUse() {
    const struct mallinfo2 m = mallinfo2();
    return static_cast<long long>(m.uordblks + m.hblkhd);
  }
  void Sample() { peak = std::max(peak, InUse() - base); }
  long long base = InUse();
  long long peak = 0;
};

TEST_F(CompressedTest, ABombStopsAtTheBoundWithLittleMemory) {
  const std::string bomb = ZeroBomb(1024);  // a gigabyte of zeros
  ASSERT_LT(bomb.size(), 2u << 20);
  TestHttpServer server(
      [&](const std::string&) { return Script().Send(Coded("gzip", bomb)).Close(); });
  HttpClient client;
  ClientRecorder r;
  Prepare(client, r, server.Url());
  long long delivered = 0;
  bool zeros = true;
  HeapWatch heap;
  client.OnDocData = [&](HttpClient&, const char* data, int len) {
    delivered += len;
    zeros = zeros && std::all_of(data, data + len, [](char b) { return b == 0; });
    heap.Sample();
  };
  client.StartGet();
  ASSERT_TRUE(Finish(r));
  heap.Sample();
  EXPECT_EQ(r.done, 1);
  EXPECT_EQ(r.done_error, 0);
  EXPECT_EQ(client.StatusCode(), 200);
  EXPECT_EQ(delivered, HttpClient::kMaxBodyBytes);
  EXPECT_EQ(client.ReceivedCount(), HttpClient::kMaxBodyBytes);
  EXPECT_TRUE(zeros);
  EXPECT_LT(heap.peak, 64LL << 20);
}

// Cancel inside a piece: nothing more is inflated, and the piece the handler
// holds stays readable.
TEST_F(CompressedTest, CancelInsideAPieceStopsTheInflating) {
  const std::string bomb = ZeroBomb(16);
  TestHttpServer server(
      [&](const std::string&) { return Script().Send(Coded("gzip", bomb)).Close(); });
  HttpClient c;
  ClientRecorder r;
  Prepare(c, r, server.Url());
  int pieces = 0;
  c.OnDocData = [&](HttpClient& s, const char* data, int len) {
    ++pieces;
    s.Cancel();
    EXPECT_EQ(data[len - 1], 0);
  };
  c.StartGet();
  ASSERT_TRUE(Finish(r));
  EXPECT_EQ(pieces, 1);
  EXPECT_EQ(r.done, 1);
  EXPECT_EQ(r.done_error, kErrorCancelled);
}

// Off (as every other test runs), the request is as it always was.
TEST_F(CompressedTest, AskingForCompressedAnswersAddsOneLine) {
  TestHttpServer server([](const std::string&) { return Reply("HTTP/1.0 200 OK", "", "x"); });
  HttpClient c;
  ClientRecorder r;
  Prepare(c, r, server.Url());
  c.AcceptCompressed = true;
  c.StartGet();
  ASSERT_TRUE(Finish(r));
  ASSERT_EQ(server.Received().size(), 1u);
  EXPECT_NE(server.Received()[0].find("*/*\r\nAccept-Encoding: gzip, deflate\r\nUser-Agent: "),
            std::string::npos);
}

}  // namespace
}  // namespace vexo::testing
