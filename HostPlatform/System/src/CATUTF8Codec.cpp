#include "CATUTF8Codec.h"

namespace {
constexpr char32_t kReplacement = 0xFFFD;

bool IsSurrogate(char32_t c) {
  return c >= 0xD800 && c <= 0xDFFF;
}
bool IsHigh(char32_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLow(char32_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

// One sequence at s[i] (i < n): the bytes it takes and, when valid, its code point. A broken sequence takes
// its lead byte and the continuation bytes read before the fault, at least one byte.
size_t Step(std::string_view s, size_t i, char32_t& cp, bool& valid) {
  const unsigned char c = static_cast<unsigned char>(s[i]);
  valid = true;
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
    valid = false;
    return 1;
  }
  size_t j = i + 1;
  for (size_t k = 0; k < extra; ++k, ++j) {
    if (j >= s.size() || (static_cast<unsigned char>(s[j]) & 0xC0) != 0x80) {
      valid = false;
      return j - i;
    }
    cp = (cp << 6) | (static_cast<unsigned char>(s[j]) & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || IsSurrogate(cp)) valid = false;
  return j - i;
}

// Writes one code point (U+FFFD for what is not a scalar value); at most four bytes.
char* PutUTF8(char* o, char32_t cp) {
  if (IsSurrogate(cp) || cp > 0x10FFFF) cp = kReplacement;
  if (cp < 0x80) {
    *o++ = static_cast<char>(cp);
  } else if (cp < 0x800) {
    *o++ = static_cast<char>(0xC0 | (cp >> 6));
    *o++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    *o++ = static_cast<char>(0xE0 | (cp >> 12));
    *o++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *o++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    *o++ = static_cast<char>(0xF0 | (cp >> 18));
    *o++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    *o++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *o++ = static_cast<char>(0x80 | (cp & 0x3F));
  }
  return o;
}

// Writes one code point (U+FFFD for what is not a scalar value); at most two units.
char16_t* PutUTF16(char16_t* o, char32_t cp) {
  if (IsSurrogate(cp) || cp > 0x10FFFF) cp = kReplacement;
  if (cp >= 0x10000) {
    cp -= 0x10000;
    *o++ = static_cast<char16_t>(0xD800 + (cp >> 10));
    *o++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
  } else {
    *o++ = static_cast<char16_t>(cp);
  }
  return o;
}
}  // namespace

size_t CATDecodeUTF8(std::string_view utf8, size_t at, char32_t& codePoint) {
  if (at >= utf8.size()) return 0;
  bool valid;
  const size_t length = Step(utf8, at, codePoint, valid);
  return valid ? length : 0;
}

size_t CATDecodeUTF16(std::u16string_view utf16, size_t at, char32_t& codePoint) {
  if (at >= utf16.size()) return 0;
  codePoint = utf16[at];
  if (IsHigh(codePoint) && at + 1 < utf16.size() && IsLow(utf16[at + 1])) {
    codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (utf16[at + 1] - 0xDC00);
    return 2;
  }
  return 1;
}

std::u16string CATUTF8ToUTF16(std::string_view in) {
  std::u16string out(in.size(), u'\0');  // never more units than bytes
  char16_t* o = out.data();
  for (size_t i = 0; i < in.size();) {
    const unsigned char c = static_cast<unsigned char>(in[i]);
    if (c < 0x80) {
      *o++ = c;
      ++i;
      continue;
    }
    char32_t cp = 0;
    bool valid;
    i += Step(in, i, cp, valid);
    o = PutUTF16(o, valid ? cp : kReplacement);
  }
  out.resize(static_cast<size_t>(o - out.data()));
  return out;
}

size_t CATUTF16LengthOfUTF8(std::string_view in) {
  size_t length = 0;
  for (size_t i = 0; i < in.size();) {
    char32_t cp = 0;
    bool valid;
    i += Step(in, i, cp, valid);
    length += valid && cp >= 0x10000 ? 2 : 1;
  }
  return length;
}

std::string CATUTF16ToUTF8(std::u16string_view in) {
  std::string out(in.size() * 3, '\0');  // three bytes per unit at most, four per pair of units
  char* o = out.data();
  for (size_t i = 0; i < in.size();) {
    if (in[i] < 0x80) {
      *o++ = static_cast<char>(in[i++]);
      continue;
    }
    char32_t cp;
    i += CATDecodeUTF16(in, i, cp);
    o = PutUTF8(o, cp);
  }
  out.resize(static_cast<size_t>(o - out.data()));
  return out;
}

std::u32string CATUTF16ToUTF32(std::u16string_view in) {
  std::u32string out;
  out.reserve(in.size());
  for (size_t i = 0; i < in.size();) {
    char32_t cp;
    i += CATDecodeUTF16(in, i, cp);
    out.push_back(IsSurrogate(cp) ? kReplacement : cp);
  }
  return out;
}

std::u16string CATUTF32ToUTF16(std::u32string_view in) {
  std::u16string out;
  out.reserve(in.size());
  for (char32_t cp : in) CATAppendUTF16(out, cp);
  return out;
}

void CATAppendUTF8(std::string& out, char32_t codePoint) {
  char bytes[4];
  out.append(bytes, static_cast<size_t>(PutUTF8(bytes, codePoint) - bytes));
}

void CATAppendUTF16(std::u16string& out, char32_t codePoint) {
  char16_t units[2];
  out.append(units, static_cast<size_t>(PutUTF16(units, codePoint) - units));
}
