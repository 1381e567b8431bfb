#include "fetch/body_inflater.h"

#define ZLIB_CONST
#include <zlib.h>

namespace vexo {

struct BodyInflater::State {
  ~State() {
    if (initialised) inflateEnd(&z);
  }

  z_stream z{};
  ContentCoding coding = ContentCoding::Identity;
  bool initialised = false;
  bool fed = false;
  bool ended = false;
};

namespace {

// "deflate" comes zlib-wrapped as the standard says, or raw as some servers
// send it; browsers take both, and so does this. A zlib stream starts with
// CMF: method 8 in the low four bits and a window of at most 32 KB above
// them. A raw stream starting like that would be a stored block with set
// padding bits, which no encoder writes.
bool LooksZlibWrapped(unsigned char first) {
  return (first & 0x0f) == 8 && (first >> 4) <= 7;
}

}  // namespace

BodyInflater::BodyInflater(std::size_t piece_bytes) : piece_bytes_(piece_bytes) {}

BodyInflater::~BodyInflater() = default;

void BodyInflater::Start(ContentCoding coding) {
  state_.reset();
  if (coding != ContentCoding::Gzip && coding != ContentCoding::Deflate) return;
  state_ = std::make_unique<State>();
  state_->coding = coding;
  if (!out_) out_ = std::make_unique<char[]>(piece_bytes_ + 1);
}

void BodyInflater::End() {
  state_.reset();
}

bool BodyInflater::Unfinished() const {
  return state_ && state_->fed && !state_->ended;
}

void BodyInflater::Feed(const char* data, std::size_t len) {
  if (!state_ || len == 0) return;
  state_->z.next_in = reinterpret_cast<const Bytef*>(data);
  state_->z.avail_in = static_cast<uInt>(len);
  state_->fed = true;
}

BodyInflater::Step BodyInflater::Next(std::string_view& piece) {
  piece = {};
  if (!state_) return Step::kError;
  State& s = *state_;
  if (s.ended) return Step::kEnd;
  if (s.z.avail_in == 0) return Step::kNeedInput;
  if (!s.initialised) {
    // gzip: 16 + 15 would take the gzip header only; 32 + 15 takes a zlib
    // header too, which servers send under this name as well.
    int bits = 32 + MAX_WBITS;
    if (s.coding == ContentCoding::Deflate)
      bits = LooksZlibWrapped(*s.z.next_in) ? MAX_WBITS : -MAX_WBITS;
    if (inflateInit2(&s.z, bits) != Z_OK) return Step::kError;
    s.initialised = true;
  }
  s.z.next_out = reinterpret_cast<Bytef*>(out_.get());
  s.z.avail_out = static_cast<uInt>(piece_bytes_);
  const int rc = inflate(&s.z, Z_NO_FLUSH);
  const std::size_t made = piece_bytes_ - s.z.avail_out;
  out_[made] = '\0';
  piece = std::string_view(out_.get(), made);
  switch (rc) {
    case Z_STREAM_END:
      // A second gzip member is not looked for: one stream is one page.
      s.ended = true;
      return Step::kEnd;
    case Z_OK:
      return s.z.avail_in == 0 && s.z.avail_out > 0 ? Step::kNeedInput : Step::kMore;
    case Z_BUF_ERROR:  // no progress: only when the input is used up
      return s.z.avail_in == 0 ? Step::kNeedInput : Step::kError;
    default:  // Z_DATA_ERROR, Z_NEED_DICT, Z_MEM_ERROR
      return Step::kError;
  }
}

}  // namespace vexo
