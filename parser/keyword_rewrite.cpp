#include "parser/keyword_rewrite.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "platform/codepage.h"
#include "texts/texts.h"

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
  static const FullWidthOperators forms{AnalysisText().full_slash, AnalysisText().full_plus,
                                        AnalysisText().full_minus, AnalysisText().full_space,
                                        AnalysisText().full_open,  AnalysisText().full_close};
  return forms;
}

Bytes RewriteFullWidthOperators(std::string_view s) {
  // Every form is two bytes of which only "　" (A1 A1) can overlap another
  // occurrence, of itself; each becomes one ASCII byte, which cannot join its
  // neighbours into a new form. So the six rewrites, each until its form is
  // gone, come to one left-to-right pass that replaces the form starting at
  // each byte.
  const FullWidthOperators& fw = FullWidth();
  const std::pair<std::string_view, char> forms[] = {{fw.slash, '/'}, {fw.plus, '+'},
                                                     {fw.minus, '-'}, {fw.space, '+'},
                                                     {fw.open, '('},  {fw.close, ')'}};
  Bytes out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    const auto hit = std::find_if(std::begin(forms), std::end(forms), [&](const auto& f) {
      return !f.first.empty() && s.substr(i, f.first.size()) == f.first;
    });
    if (hit == std::end(forms)) {
      out.push_back(s[i++]);
    } else {
      out.push_back(hit->second);
      i += hit->first.size();
    }
  }
  return out;
}

}  // namespace vexo
