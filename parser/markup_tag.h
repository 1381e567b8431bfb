#pragma once
// One tag of a page, read where it stands: its name, whether it closes, its
// attributes. The analysis elsewhere only searches substrings; reading the
// results of a whole page needs to know which "<" begins a tag, where quoted
// attribute values end and which attribute a value belongs to. Pages are
// hostile: a tag or a quote left open runs to the end of the text, and nothing
// is read twice, so walking all tags of a text is linear in its size.

#include <cstddef>
#include <optional>
#include <string_view>

namespace vexo {

struct MarkupTag {
  std::string_view name;        // as written (compare with EqualsNoCase); empty for
                                // comments, "<!...>" and "<?...>"
  std::string_view attributes;  // what stands between the name and the closing ">"
  bool closing = false;         // "</name>"
  std::size_t begin = 0;        // offset of the "<"
  std::size_t end = 0;          // offset just past the ">", or the text's size without one
};

// The first tag at or after `from`: fills `tag` and returns its offset, or
// npos when none is left. A "<" followed by neither a letter, "/" and a
// letter, "!" nor "?" is text, not a tag.
std::size_t FindTag(std::string_view text, std::size_t from, MarkupTag& tag);

// Where reading goes on after `tag`: its end, and for script and style past
// their content too, whose "<" begin no markup.
std::size_t AfterTag(std::string_view text, const MarkupTag& tag);

// The tag ends in "/>".
bool IsSelfClosing(const MarkupTag& tag);

// The value of the attribute named `lowerName` (any case in the page), as
// written; empty for a name without value; nullopt when the tag has none.
std::optional<std::string_view> AttributeValue(const MarkupTag& tag, std::string_view lowerName);

// Steps through attributes: the next name and value in `rest`, which it
// shortens past them; false when none is left.
bool NextAttribute(std::string_view& rest, std::string_view& name, std::string_view& value);

}  // namespace vexo
