#pragma once
// Compressed bodies for the tests and fuzz targets that serve them: zlib's
// deflate into a string, in any of its framings (window bits 16 + 15 gzip,
// 15 zlib, -15 raw).

#ifndef ZLIB_CONST
#define ZLIB_CONST
#endif
#include <zlib.h>

#include <string>
#include <string_view>

namespace vexo::testing {

// Deflates the input in one go; flush Z_FULL_FLUSH leaves the stream open,
// at a point from which it inflates on its own.
inline std::string Deflate(z_stream& z, std::string_view in, int flush) {
  std::string out;
  z.next_in = reinterpret_cast<const Bytef*>(in.data());
  z.avail_in = static_cast<uInt>(in.size());
  char buf[16384];
  do {
    z.next_out = reinterpret_cast<Bytef*>(buf);
    z.avail_out = sizeof buf;
    deflate(&z, flush);
    out.append(buf, sizeof buf - z.avail_out);
  } while (z.avail_out == 0);
  return out;
}

inline std::string Compress(std::string_view in, int window_bits, int level = Z_BEST_COMPRESSION) {
  z_stream z{};
  deflateInit2(&z, level, Z_DEFLATED, window_bits, 8, Z_DEFAULT_STRATEGY);
  std::string out = Deflate(z, in, Z_FINISH);
  deflateEnd(&z);
  return out;
}

}  // namespace vexo::testing
