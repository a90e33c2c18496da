#include "zelgw/XmlText.h"

#include <charconv>
#include <cstdint>

namespace zelgw {
namespace {

constexpr std::size_t kNpos = std::string_view::npos;

bool IsXmlChar(char32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
         (c >= 0x10000 && c <= 0x10FFFF);
}

// Decodes one UTF-8 sequence at `i`; its length, or 0 when it is malformed, overlong, a surrogate or beyond
// U+10FFFF.
std::size_t DecodeUtf8(std::string_view s, std::size_t i, char32_t& out) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  unsigned char b0 = byte(i);
  if (b0 < 0x80) {
    out = b0;
    return 1;
  }
  std::size_t length;
  char32_t c, minimum;
  if ((b0 & 0xE0) == 0xC0) {
    length = 2, c = b0 & 0x1F, minimum = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    length = 3, c = b0 & 0x0F, minimum = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    length = 4, c = b0 & 0x07, minimum = 0x10000;
  } else {
    return 0;
  }
  if (s.size() - i < length) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    unsigned char b = byte(i + k);
    if ((b & 0xC0) != 0x80) return 0;
    c = (c << 6) | (b & 0x3F);
  }
  if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  out = c;
  return length;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::optional<char32_t> ResolveReference(std::string_view name) {
  if (name == "lt") return U'<';
  if (name == "gt") return U'>';
  if (name == "amp") return U'&';
  if (name == "apos") return U'\'';
  if (name == "quot") return U'"';
  if (name.size() < 2 || name[0] != '#') return std::nullopt;
  int base = 10;
  std::string_view digits = name.substr(1);
  if (digits[0] == 'x') {
    base = 16;
    digits.remove_prefix(1);
  }
  // Seven digits cover U+10FFFF in either base and keep from_chars far from overflow.
  if (digits.empty() || digits.size() > 7) return std::nullopt;
  std::uint32_t value = 0;
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
  if (error != std::errc() || end != digits.data() + digits.size() || !IsXmlChar(value)) return std::nullopt;
  return static_cast<char32_t>(value);
}

}  // namespace

std::size_t FindInvalidXmlText(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    char32_t c;
    std::size_t length = DecodeUtf8(text, i, c);
    if (length == 0 || !IsXmlChar(c)) return i;
    i += length;
  }
  return kNpos;
}

std::string ToXmlText(std::string_view text) {
  if (IsValidXmlText(text)) return std::string(text);
  std::string out;
  out.reserve(text.size() + 8);
  for (std::size_t i = 0; i < text.size();) {
    char32_t c;
    std::size_t length = DecodeUtf8(text, i, c);
    if (length == 0) {
      AppendUtf8(out, 0xFFFD);
      ++i;
      continue;
    }
    if (IsXmlChar(c)) {
      out.append(text.substr(i, length));
    } else {
      AppendUtf8(out, 0xFFFD);
    }
    i += length;
  }
  return out;
}

std::optional<std::string> DecodeAttributeValue(std::string_view raw) {
  std::string out;
  out.reserve(raw.size());
  for (std::size_t i = 0; i < raw.size();) {
    char ch = raw[i];
    if (ch == '<') return std::nullopt;
    if (ch != '&') {
      std::size_t next = raw.find_first_of("&<", i);
      if (next == kNpos) next = raw.size();
      out.append(raw.substr(i, next - i));
      i = next;
      continue;
    }
    std::size_t semicolon = raw.find(';', i + 1);
    if (semicolon == kNpos) return std::nullopt;
    std::optional<char32_t> c = ResolveReference(raw.substr(i + 1, semicolon - i - 1));
    if (!c) return std::nullopt;
    AppendUtf8(out, *c);
    i = semicolon + 1;
  }
  return out;
}

}  // namespace zelgw
