#include "fetch/http_address.h"

namespace vexo {
namespace {

// Authority: [user[:password]@]host[:port].
void SplitAuthority(std::string_view authority, AddressParts& p) {
  const Pos colon = LastPosOf(":", authority);
  const Pos at = LastPosOf("@", authority);
  if (colon == 0 && at == 0) {
    p.host = Bytes(authority);
    return;
  }
  if (colon > at) {
    p.port = CopyFrom(authority, colon + 1);
    p.host = CopyRange(authority, at + 1, colon - 1);
  } else {
    p.host = CopyFrom(authority, at + 1);
  }
  if (at == 0) return;
  const Bytes user = Copy(authority, 1, at - 1);
  const Pos split = PosOf(":", user);
  if (split == 0) {
    p.user = user;
  } else {
    p.user = Copy(user, 1, split - 1);
    p.password = CopyFrom(user, split + 1);
  }
}

// "scheme:" before anything else, as in "ftp://x" or "javascript:x"; a
// digit after the colon makes it a host and port ("www.a.cn:81/x").
bool StartsWithScheme(std::string_view v, std::string_view& scheme) {
  std::size_t i = 0;
  const auto letter = [](char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; };
  if (v.empty() || !letter(v[0])) return false;
  while (i < v.size() && (letter(v[i]) || (v[i] >= '0' && v[i] <= '9') || v[i] == '+' ||
                          v[i] == '-' || v[i] == '.'))
    ++i;
  if (i >= v.size() || v[i] != ':') return false;
  if (i + 1 < v.size() && v[i + 1] >= '0' && v[i + 1] <= '9') return false;
  scheme = v.substr(0, i);
  return true;
}

bool IsWebScheme(std::string_view scheme) {
  const Bytes s = Lower(scheme);
  return s == "http" || s == "https";
}

}  // namespace

bool IsTlsScheme(std::string_view scheme) {
  return Lower(scheme) == "https";
}

AddressParts SplitAddress(std::string_view address) {
  AddressParts p;
  if (address.empty()) return p;
  Bytes rest;
  if (const Pos sep = PosOf("://", address); sep > 0) {
    p.scheme = Copy(address, 1, sep - 1);
    rest = CopyFrom(address, sep + 3);
  } else if (ByteAt(address, 1) == '/') {
    p.scheme = "http";
    if (ByteAt(address, 2) != '/') {
      p.path = Bytes(address);
      return p;
    }
    rest = CopyFrom(address, 3);  // "//host/path"
  } else if (StartsWithNoCase(address, "http:")) {
    p.scheme = "http";
    if (Len(address) > 6 && ByteAt(address, 7) != '/') {
      p.path = CopyFrom(address, 6);
      return p;
    }
    rest = CopyFrom(address, 6);
    while (ByteAt(rest, 1) == '/') Delete(rest, 1, 1);
  } else if (StartsWithNoCase(address, "mailto:")) {
    p.scheme = "mailto";
    rest = CopyFrom(address, PosOf(":", address) + 1);
  } else {
    rest = Bytes(address);
  }
  const Pos slash = PosOf("/", rest);
  if (slash > 0) p.path = CopyFrom(rest, slash);
  SplitAuthority(slash > 0 ? Copy(rest, 1, slash - 1) : rest, p);
  return p;
}

void ApplyLocation(RequestTarget& t, std::string_view v) {
  if (std::string_view scheme; StartsWithScheme(v, scheme) && !IsWebScheme(scheme)) {
    // Nothing this client can fetch: the next connection fails as for a
    // Location without a host.
    t.host.clear();
    return;
  }
  if (ByteAt(v, 1) == '/') {
    t.path = Bytes(v);
    t.location = (t.tls ? "https://" : "http://") + t.host + t.path;
    return;
  }
  const AddressParts p = SplitAddress(v);
  if (!p.port.empty()) t.port = p.port;
  if (!p.scheme.empty() && !p.host.empty() && IsTlsScheme(p.scheme) != t.tls) {
    t.tls = !t.tls;
    if (p.port.empty()) t.port = DefaultPort(t.tls);
  }
  t.host = p.host;
  t.path = p.path;
  if (!p.scheme.empty() && !p.host.empty()) {
    t.target_host = p.host;
    if (t.path.empty()) {
      t.path = "/";
      t.location = p.scheme + "://" + p.host;
    } else {
      t.location = p.scheme + "://" + p.host + p.path;
    }
  } else if (p.scheme.empty() && !p.host.empty() && p.path.empty()) {
    // A bare page name: the whole address becomes the request path.
    t.location = (t.tls ? "https://" : "http://") + t.target_host + "/" + p.host;
    t.host = t.target_host;
    t.path = t.location;
  } else if (p.scheme.empty() && !p.host.empty()) {
    // "directory/page": the directory name is taken for a host.
    t.target_host = p.host;
  } else if (!p.path.empty()) {
    t.location = (p.scheme.empty() ? Bytes("http") : p.scheme) + "://" + t.target_host + p.path;
    t.host = t.target_host;
  }
  // Otherwise (an empty value, a scheme alone) no host is left: the next
  // connection fails as a lookup of an empty name.
}

}  // namespace vexo
