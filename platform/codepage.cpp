#include "platform/codepage.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
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

// GB2312 form of every UTF-16 code unit, each converted at its first use:
// a page or a text meets a few hundred characters, and converting all 65 536
// at once cost the window's start tens of milliseconds. An entry holds its
// size (1 or 2, 0 while unconverted) above its bytes; the zero-filled array
// lies in memory that is only touched where characters are used.
constexpr int kSizeShift = 16;
constinit std::array<std::atomic<std::uint32_t>, 0x10000> g_wide_forms{};
constinit std::mutex g_wide_mutex;

std::uint32_t Pack(std::string_view gb) {
  if (gb.size() != 1 && gb.size() != 2) gb = "?";
  std::uint32_t entry = static_cast<std::uint32_t>(gb.size()) << kSizeShift;
  entry |= static_cast<unsigned char>(gb[0]);
  if (gb.size() == 2) entry |= static_cast<std::uint32_t>(static_cast<unsigned char>(gb[1])) << 8;
  return entry;
}

// Converts one code unit under the lock (an iconv descriptor serves one
// thread at a time) and publishes it.
std::uint32_t ConvertWide(std::uint16_t code) {
  const std::lock_guard lock(g_wide_mutex);
  std::atomic<std::uint32_t>& slot = g_wide_forms[code];
  if (const std::uint32_t done = slot.load(std::memory_order_relaxed)) return done;
  std::uint32_t entry = Pack("?");
  if (code < 0xD800 || code > 0xDFFF) {
    static Converter converter("CP936", "UTF-16LE");
    const char in[2] = {static_cast<char>(code & 0xFF), static_cast<char>(code >> 8)};
    entry = Pack(converter.Run(std::string_view(in, 2), "?", 2));
  }
  slot.store(entry, std::memory_order_release);
  return entry;
}

}  // namespace

void PrepareWideCharConversion() {
  WideCharToGb(0x4E00);  // 一
}

Bytes WideCharToGb(std::uint16_t code) {
  std::uint32_t entry = g_wide_forms[code].load(std::memory_order_acquire);
  if (entry == 0) entry = ConvertWide(code);
  const char bytes[2] = {static_cast<char>(entry & 0xFF), static_cast<char>((entry >> 8) & 0xFF)};
  return Bytes(bytes, entry >> kSizeShift);
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
  // ASCII is its own UTF-8; the window's texts and addresses mostly are.
  if (std::all_of(gb.begin(), gb.end(),
                  [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
    return std::string(gb);
  // Opened once per thread (a descriptor serves one thread at a time): every
  // text a window shows passes here.
  thread_local Converter c("UTF-8", "CP936");
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
