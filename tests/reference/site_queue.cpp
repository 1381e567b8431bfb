#include "tests/reference/site_queue.h"

#include <algorithm>

#include "store/site_queue.h"
#include "tests/reference/folded_line.h"

namespace vexo::reference {

namespace {

long Count(const StringList& q) {
  return static_cast<long>(q.size());
}

void InsertProven(StringList& q, const Bytes& root) {
  const int under = IndexOfLine(q, kPassMarker) + 1;
  const auto insertAt = [&q](int i, const Bytes& line) {
    const auto at = std::min(static_cast<std::size_t>(std::max(i, 0)), q.size());
    q.insert(q.begin() + static_cast<std::ptrdiff_t>(at), line);
  };
  if (IndexOfLine(q, kAgeMarker1) < 0 && IndexOfLine(q, kAgeMarker2) < 0 &&
      IndexOfLine(q, kAgeMarker3) < 0)
    insertAt(under, Bytes(kAgeMarker1));
  insertAt(under, root);
}

}  // namespace

Bytes SiteRoot(std::string_view a, bool candidate) {
  Pos p = PosOf("://", a) + 3;
  while (p < Len(a) && ByteAt(a, p) != '/') ++p;
  Bytes root;
  if (candidate) {
    if (ByteAt(a, p) != '/') return {};
    root = Copy(a, 1, p - 1);
  } else {
    if (p <= 10) return {};
    root = Copy(a, 1, p);
    if (!root.empty() && root.back() == '/') root.pop_back();
  }
  if (Contains(root, "\r") || Contains(root, "\n")) return {};
  return root;
}

void RememberSite(StringList& q, std::string_view link) {
  const Bytes root = SiteRoot(link, false);
  if (!(Count(q) - (IndexOfLine(q, kPassMarker) + 1) < 411 && Len(root) > 7)) return;
  const int at = IndexOfLine(q, root);
  if (at > 0) q.erase(q.begin() + at);
  InsertProven(q, root);
}

void PromotePageSite(StringList& q, std::string_view address) {
  if (q.empty() || q.back() == kAgeMarker3) return;
  const Bytes root = SiteRoot(address, false);
  if (Len(root) <= 7) return;
  const int i = IndexOfLine(q, root);
  const int k = IndexOfLine(q, kAgeMarker1);
  const int m = IndexOfLine(q, kAgeMarker2);
  const int o = IndexOfLine(q, kAgeMarker3);
  if (i > 0 && k + m + o + 2 < i) {
    q.erase(q.begin() + i);
    InsertProven(q, root);
  }
}

void AppendSite(StringList& q, std::string_view link) {
  if (!(Count(q) - IndexOfLine(q, kPassMarker) < 361 && Count(q) - IndexOfLine(q, kAgeMarker3) > 1))
    return;
  const Bytes root = SiteRoot(link, true);
  if (Len(root) > 7 && IndexOfLine(q, root) < 0) q.push_back(root);
}

}  // namespace vexo::reference
