// Text checks at the document boundary: what comes in must be UTF-8 made of XML characters, and what goes out
// must stay so, or a strict client parser rejects the whole reply.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zelgw {

// Byte offset of the first malformed UTF-8 sequence or character outside the XML 1.0 set; npos when clean.
std::size_t FindInvalidXmlText(std::string_view text);

inline bool IsValidXmlText(std::string_view text) {
  return FindInvalidXmlText(text) == std::string_view::npos;
}

// The text with every malformed sequence and disallowed character replaced by U+FFFD.
std::string ToXmlText(std::string_view text);

// Resolves the predefined entities and character references of an attribute value as it stands in the
// document. Nothing when a reference is unknown or malformed, refers to a character XML does not allow, or
// a bare '&' or '<' stands in the value: such a document is not well-formed.
std::optional<std::string> DecodeAttributeValue(std::string_view raw);

}  // namespace zelgw
