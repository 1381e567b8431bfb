#include "parser/markup_tag.h"

#include <cstring>

#include "platform/byte_search.h"
#include "platform/bytes.h"

namespace vexo {
namespace {

constexpr std::size_t kNpos = std::string_view::npos;

bool IsLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsNameByte(char c) {
  return IsLetter(c) || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == ':' || c == '.';
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

std::size_t Found(std::size_t at, std::size_t add, std::size_t size) {
  return at == kNpos ? size : at + add;
}

// Offset of the ">" that ends a tag whose attributes start at `from`; a ">"
// inside a quoted value does not. npos when there is none.
std::size_t TagClose(std::string_view text, std::size_t from) {
  std::size_t i = from;
  while (i < text.size()) {
    const std::size_t at = FindAnyOf(text.substr(i), ">=");
    if (at == kNpos) return kNpos;
    i += at;
    if (text[i] == '>') return i;
    std::size_t v = i + 1;
    while (v < text.size() && IsBlank(text[v])) ++v;
    if (v < text.size() && (text[v] == '"' || text[v] == '\'')) {
      const std::size_t quote = text.find(text[v], v + 1);
      if (quote == kNpos) return kNpos;
      i = quote + 1;
    } else {
      i = v;
    }
  }
  return kNpos;
}

// A comment or declaration at `at`: a tag without name.
void ReadDeclaration(std::string_view text, std::size_t at, MarkupTag& tag) {
  tag.name = {};
  tag.attributes = {};
  tag.closing = false;
  if (text.substr(at, 4) == "<!--") {
    tag.end = Found(FindBytes(text.substr(at + 4), "-->"), at + 4 + 3, text.size());
  } else {
    tag.end = Found(text.find('>', at + 2), 1, text.size());
  }
}

bool ReadTagAt(std::string_view text, std::size_t at, MarkupTag& tag) {
  const char next = at + 1 < text.size() ? text[at + 1] : '\0';
  tag.begin = at;
  if (next == '!' || next == '?') {
    ReadDeclaration(text, at, tag);
    return true;
  }
  const bool closing = next == '/';
  std::size_t nameBegin = at + (closing ? 2 : 1);
  if (nameBegin >= text.size() || !IsLetter(text[nameBegin])) return false;
  std::size_t nameEnd = nameBegin;
  while (nameEnd < text.size() && IsNameByte(text[nameEnd])) ++nameEnd;
  const std::size_t close = TagClose(text, nameEnd);
  tag.name = text.substr(nameBegin, nameEnd - nameBegin);
  tag.closing = closing;
  tag.attributes = text.substr(nameEnd, (close == kNpos ? text.size() : close) - nameEnd);
  tag.end = Found(close, 1, text.size());
  return true;
}

}  // namespace

std::size_t FindTag(std::string_view text, std::size_t from, MarkupTag& tag) {
  while (from < text.size()) {
    const std::size_t at = text.find('<', from);
    if (at == kNpos) return kNpos;
    if (ReadTagAt(text, at, tag)) return at;
    from = at + 1;
  }
  return kNpos;
}

std::size_t AfterTag(std::string_view text, const MarkupTag& tag) {
  if (tag.closing) return tag.end;
  for (std::string_view raw : {std::string_view("script"), std::string_view("style")}) {
    if (!EqualsNoCase(tag.name, raw)) continue;
    const Pos close = PosOfFolded(Bytes("</") + Bytes(raw), text, static_cast<Pos>(tag.end) + 1);
    return close > 0 ? static_cast<std::size_t>(close - 1) : text.size();
  }
  return tag.end;
}

bool IsSelfClosing(const MarkupTag& tag) {
  const std::string_view a = TrimView(tag.attributes);
  return !a.empty() && a.back() == '/';
}

bool NextAttribute(std::string_view& rest, std::string_view& name, std::string_view& value) {
  std::size_t i = 0;
  while (true) {
    while (i < rest.size() && (IsBlank(rest[i]) || rest[i] == '/')) ++i;
    if (i >= rest.size()) {
      rest = {};
      return false;
    }
    std::size_t nameEnd = i;
    while (nameEnd < rest.size() && !IsBlank(rest[nameEnd]) && rest[nameEnd] != '=' &&
           rest[nameEnd] != '/')
      ++nameEnd;
    if (nameEnd > i) {
      name = rest.substr(i, nameEnd - i);
      i = nameEnd;
      break;
    }
    ++i;  // a stray "=": no name to give it to
  }
  std::size_t v = i;
  while (v < rest.size() && IsBlank(rest[v])) ++v;
  value = {};
  if (v >= rest.size() || rest[v] != '=') {
    rest.remove_prefix(i);
    return true;
  }
  ++v;
  while (v < rest.size() && IsBlank(rest[v])) ++v;
  if (v < rest.size() && (rest[v] == '"' || rest[v] == '\'')) {
    const std::size_t quote = rest.find(rest[v], v + 1);
    const std::size_t end = quote == kNpos ? rest.size() : quote;
    value = rest.substr(v + 1, end - v - 1);
    rest.remove_prefix(quote == kNpos ? rest.size() : quote + 1);
    return true;
  }
  std::size_t end = v;
  while (end < rest.size() && !IsBlank(rest[end])) ++end;
  value = rest.substr(v, end - v);
  rest.remove_prefix(end);
  return true;
}

std::optional<std::string_view> AttributeValue(const MarkupTag& tag, std::string_view lowerName) {
  std::string_view rest = tag.attributes;
  std::string_view name, value;
  while (NextAttribute(rest, name, value))
    if (EqualsNoCase(name, lowerName)) return value;
  return std::nullopt;
}

}  // namespace vexo
