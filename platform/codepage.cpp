#include "platform/codepage.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <memory>
#include <mutex>

namespace vexo {

ByteRole ByteRoleAt(std::string_view s, Pos p) {
  if (p < 1 || p > Len(s)) return ByteRole::Single;
  Pos i = 1;
  while (i < p) {
    if (IsLeadByte(ByteAt(s, i)) && i + 1 <= Len(s)) {
      if (i + 1 == p) return ByteRole::Trail;
      i += 2;
    } else {
      ++i;
    }
  }
  return IsLeadByte(ByteAt(s, p)) ? ByteRole::Lead : ByteRole::Single;
}

std::vector<ByteRole> ByteRoles(std::string_view s) {
  std::vector<ByteRole> roles(s.size(), ByteRole::Single);
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (IsLeadByte(static_cast<unsigned char>(s[i]))) {
      roles[i] = ByteRole::Lead;
      if (i + 1 < s.size()) roles[++i] = ByteRole::Trail;
    }
  }
  return roles;
}

namespace {

// An iconv descriptor for one direction, closed with its owner.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts as much as possible; on a sequence it cannot take it appends
  // `bad` to the output and skips `skip` input bytes (or one when unknown).
  std::string Run(std::string_view in, std::string_view bad, std::size_t skip) {
    std::string out;
    if (!ok()) return out;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in.data());
    std::size_t left = in.size();
    std::array<char, 4096> buf{};
    while (left > 0) {
      char* dst = buf.data();
      std::size_t room = buf.size();
      const std::size_t r = iconv(cd_, &src, &left, &dst, &room);
      out.append(buf.data(), buf.size() - room);
      if (r != static_cast<std::size_t>(-1)) continue;
      if (errno == E2BIG) continue;
      // EILSEQ or EINVAL: a character without a form, or a cut sequence.
      out.append(bad);
      const std::size_t n = std::min(left, skip);
      src += n;
      left -= n;
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
    char* dst = buf.data();
    std::size_t room = buf.size();
    iconv(cd_, nullptr, nullptr, &dst, &room);
    out.append(buf.data(), buf.size() - room);
    return out;
  }

 private:
  iconv_t cd_;
};

// GB2312 form of every UTF-16 code unit, built once on first use.
class WideTable {
 public:
  WideTable() {
    Converter c("CP936", "UTF-16LE");
    for (std::uint32_t u = 0; u < 0x10000; ++u) {
      if (u >= 0xD800 && u <= 0xDFFF) {
        table_[u] = Entry{1, {'?', 0}};
        continue;
      }
      const char in[2] = {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
      const std::string out = c.Run(std::string_view(in, 2), "?", 2);
      Entry e{};
      if (out.size() == 1 || out.size() == 2) {
        e.size = static_cast<std::uint8_t>(out.size());
        e.bytes[0] = out[0];
        e.bytes[1] = out.size() == 2 ? out[1] : 0;
      } else {
        e = Entry{1, {'?', 0}};
      }
      table_[u] = e;
    }
  }
  Bytes Get(std::uint16_t code) const {
    const Entry& e = table_[code];
    return Bytes(e.bytes, e.size);
  }

 private:
  struct Entry {
    std::uint8_t size;
    char bytes[2];
  };
  std::array<Entry, 0x10000> table_{};
};

}  // namespace

Bytes WideCharToGb(std::uint16_t code) {
  static const auto table = std::make_unique<WideTable>();
  return table->Get(code);
}

Bytes WideCharToGb2312(std::uint16_t code) {
  const Bytes gb = WideCharToGb(code);
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(gb[i]); };
  // "?" is also what a character without a GB form gets.
  const bool ascii = gb.size() == 1 && byte(0) < 0x80 && (gb != "?" || code == '?');
  const bool pair = gb.size() == 2 && IsGb2312Pair(byte(0), byte(1));
  return ascii || pair ? gb : Bytes(kLackingMark);
}

Bytes Utf8ToGb(std::string_view utf8) {
  // Strict UTF-8 decoding; an invalid sequence or a character outside the
  // 16-bit range gives one "?" and decoding goes on at the next byte.
  Bytes out;
  out.reserve(utf8.size());
  std::size_t i = 0;
  const auto cont = [&](std::size_t k) {
    return k < utf8.size() && (static_cast<unsigned char>(utf8[k]) & 0xC0) == 0x80;
  };
  while (i < utf8.size()) {
    const unsigned char b = static_cast<unsigned char>(utf8[i]);
    std::uint32_t code = 0;
    std::size_t n = 0;
    if (b < 0x80) {
      code = b;
      n = 1;
    } else if (b >= 0xC2 && b < 0xE0 && cont(i + 1)) {
      code = (b & 0x1Fu) << 6 | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu);
      n = 2;
    } else if (b >= 0xE0 && b < 0xF0 && cont(i + 1) && cont(i + 2)) {
      code = (b & 0x0Fu) << 12 | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu) << 6 |
             (static_cast<unsigned char>(utf8[i + 2]) & 0x3Fu);
      n = code >= 0x800 ? 3 : 0;
    } else if (b >= 0xF0 && b < 0xF5 && cont(i + 1) && cont(i + 2) && cont(i + 3)) {
      out.push_back('?');  // beyond the 16-bit range: no GB form
      i += 4;
      continue;
    }
    if (n == 0) {
      out.push_back('?');
      ++i;
      continue;
    }
    out += WideCharToGb(static_cast<std::uint16_t>(code));
    i += n;
  }
  return out;
}

std::string GbToUtf8(std::string_view gb) {
  Converter c("UTF-8", "CP936");
  return c.Run(gb, "\xEF\xBF\xBD", 1);
}

bool IsWholeGbText(std::string_view s) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) continue;
    if (!IsLeadByte(b) || i + 1 == s.size()) return false;
    const auto t = static_cast<unsigned char>(s[++i]);
    if (t < 0x40 || t == 0x7F || t == 0xFF) return false;
  }
  return true;
}

}  // namespace vexo
