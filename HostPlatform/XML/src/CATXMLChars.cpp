// Characters, names and escapes of XML 1.0 (fifth edition).
#include <cstdint>

#include "CATUTF8Codec.h"
#include "CATXMLImpl.h"

namespace {

bool IsChar(char32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
         (c >= 0x10000 && c <= 0x10FFFF);
}

bool IsNameStart(char32_t c) {
  return c == ':' || (c >= 'A' && c <= 'Z') || c == '_' || (c >= 'a' && c <= 'z') ||
         (c >= 0xC0 && c <= 0xD6) || (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) ||
         (c >= 0x370 && c <= 0x37D) || (c >= 0x37F && c <= 0x1FFF) || (c >= 0x200C && c <= 0x200D) ||
         (c >= 0x2070 && c <= 0x218F) || (c >= 0x2C00 && c <= 0x2FEF) || (c >= 0x3001 && c <= 0xD7FF) ||
         (c >= 0xF900 && c <= 0xFDCF) || (c >= 0xFDF0 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0xEFFFF);
}

bool IsNameChar(char32_t c) {
  return IsNameStart(c) || c == '-' || c == '.' || (c >= '0' && c <= '9') || c == 0xB7 ||
         (c >= 0x300 && c <= 0x36F) || (c >= 0x203F && c <= 0x2040);
}

}  // namespace

namespace CATXMLChars {

std::string ToUTF8(const CATUnicodeString& text) {
  return CATUTF16ToUTF8(text.GetUTF16());
}

CATUnicodeString FromUTF8(std::string_view text) {
  return CATUnicodeString(text.data(), text.size());
}

size_t FindInvalid(std::string_view s) {
  size_t i = 0;
  const size_t n = s.size();
  while (i < n) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c >= 0x20 && c < 0x80) {  // fast path: printable ASCII
      ++i;
      continue;
    }
    char32_t cp;
    size_t len = CATDecodeUTF8(s, i, cp);
    if (len == 0 || !IsChar(cp)) return i;
    i += len;
  }
  return std::string_view::npos;
}

bool IsName(std::string_view s) {
  if (s.empty()) return false;
  size_t i = 0;
  bool first = true;
  while (i < s.size()) {
    char32_t cp;
    size_t len = CATDecodeUTF8(s, i, cp);
    if (len == 0 || !(first ? IsNameStart(cp) : IsNameChar(cp))) return false;
    first = false;
    i += len;
  }
  return true;
}

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

namespace {
// The reference for a character that cannot stand as itself; in attribute values, white space other than the
// space is escaped too, since the reader would normalise it to spaces.
const char* Escape(char c, bool inAttribute) {
  switch (c) {
    case '&':
      return "&amp;";
    case '<':
      return "&lt;";
    case '>':
      return "&gt;";
    case '\r':
      return "&#13;";  // would otherwise be turned into a line feed by the reader
    case '"':
      return inAttribute ? "&quot;" : nullptr;
    case '\t':
      return inAttribute ? "&#9;" : nullptr;
    case '\n':
      return inAttribute ? "&#10;" : nullptr;
    default:
      return nullptr;
  }
}

void AppendEscaped(std::string& out, std::string_view text, bool inAttribute) {
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char* rep = Escape(text[i], inAttribute);
    if (!rep) continue;
    out.append(text.substr(start, i - start));
    out.append(rep);
    start = i + 1;
  }
  out.append(text.substr(start));
}
}  // namespace

void AppendText(std::string& out, std::string_view text) {
  AppendEscaped(out, text, false);
}

void AppendAttributeValue(std::string& out, std::string_view value) {
  AppendEscaped(out, value, true);
}

}  // namespace CATXMLChars
