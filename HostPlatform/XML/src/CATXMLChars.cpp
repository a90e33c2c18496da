// Characters, names and escapes of XML 1.0 (fifth edition).
#include <cstdint>

#include "CATXMLImpl.h"

namespace {

// Decodes one strict UTF-8 sequence at s[i]; returns its length (0 when invalid) and the code point.
size_t Decode(std::string_view s, size_t i, char32_t& cp) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  if (c < 0x80) {
    cp = c;
    return 1;
  }
  size_t extra;
  char32_t min;
  if ((c & 0xE0) == 0xC0) {
    extra = 1, cp = c & 0x1F, min = 0x80;
  } else if ((c & 0xF0) == 0xE0) {
    extra = 2, cp = c & 0x0F, min = 0x800;
  } else if ((c & 0xF8) == 0xF0) {
    extra = 3, cp = c & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  if (i + extra >= s.size()) return 0;  // truncated sequence
  for (size_t k = 1; k <= extra; ++k) {
    unsigned char d = static_cast<unsigned char>(s[i + k]);
    if ((d & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (d & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return extra + 1;
}

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
  const std::u16string& in = text.GetUTF16();
  std::string out(in.size() * 3, '\0');  // at most three bytes per UTF-16 unit
  char* o = out.data();
  for (size_t i = 0; i < in.size(); ++i) {
    char32_t cp = in[i];
    if (cp < 0x80) {
      *o++ = static_cast<char>(cp);
      continue;
    }
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < in.size() && in[i + 1] >= 0xDC00 && in[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (in[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    if (cp < 0x800) {
      *o++ = static_cast<char>(0xC0 | (cp >> 6));
    } else if (cp < 0x10000) {
      *o++ = static_cast<char>(0xE0 | (cp >> 12));
      *o++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    } else {
      *o++ = static_cast<char>(0xF0 | (cp >> 18));
      *o++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      *o++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    }
    *o++ = static_cast<char>(0x80 | (cp & 0x3F));
  }
  out.resize(static_cast<size_t>(o - out.data()));
  return out;
}

CATUnicodeString FromUTF8(std::string_view in) {
  std::u16string out(in.size(), u'\0');  // never more UTF-16 units than bytes
  char16_t* o = out.data();
  size_t i = 0;
  while (i < in.size()) {
    unsigned char c = static_cast<unsigned char>(in[i]);
    if (c < 0x80) {
      *o++ = c;
      ++i;
      continue;
    }
    char32_t cp;
    size_t len = Decode(in, i, cp);
    if (len == 0) {
      *o++ = 0xFFFD;
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      *o++ = static_cast<char16_t>(0xD800 + (cp >> 10));
      *o++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      *o++ = static_cast<char16_t>(cp);
    }
    i += len;
  }
  CATUnicodeString text;
  text.BuildFromUCChar(out.data(), static_cast<size_t>(o - out.data()));
  return text;
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
    size_t len = Decode(s, i, cp);
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
    size_t len = Decode(s, i, cp);
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
