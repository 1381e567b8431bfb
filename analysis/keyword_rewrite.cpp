#include "analysis/keyword_rewrite.h"

#include "platform/codepage.h"

namespace vexo {

Bytes RewriteUntilGone(std::string_view s, std::string_view from, std::string_view to) {
  if (from.empty() || to.size() >= from.size()) return ReplaceAll(s, from, to);
  // `done` never holds an occurrence, so the leftmost occurrence of the whole
  // text is the one that ends where the next byte joins `done`. A replacement
  // goes back in front of the unread bytes because it may form a new one.
  const std::size_t at = s.find(from);
  if (at == std::string_view::npos) return Bytes(s);
  Bytes done(s.substr(0, at));
  done.reserve(s.size());
  Bytes pending(s.rbegin(), s.rend() - static_cast<std::ptrdiff_t>(at));
  while (!pending.empty()) {
    done.push_back(pending.back());
    pending.pop_back();
    if (done.size() >= from.size() &&
        std::string_view(done).substr(done.size() - from.size()) == from) {
      done.resize(done.size() - from.size());
      pending.append(to.rbegin(), to.rend());
    }
  }
  return done;
}

const FullWidthOperators& FullWidth() {
  static const FullWidthOperators forms{Gb("／"), Gb("＋"), Gb("－"), Gb("　"), Gb("（"), Gb("）")};
  return forms;
}

}  // namespace vexo
