#include "CATUnicodeString.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwctype>
#include <ostream>
#include <vector>

#include "CATString.h"

namespace {
bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t';
}

// Formats with a printf format; a format the value does not fit is the caller's error, as with printf.
template <class T>
std::string Format(const char* format, T value) {
  if (!format) return std::string();
  int n = std::snprintf(nullptr, 0, format, value);
  if (n < 0) return std::string();
  std::vector<char> buffer(static_cast<size_t>(n) + 1);
  std::snprintf(buffer.data(), buffer.size(), format, value);
  return std::string(buffer.data(), static_cast<size_t>(n));
}

// Reads a number with a scanf format; the whole text (apart from surrounding blanks) must be the number.
template <class T>
int Scan(const std::string& text, const char* format, T* value) {
  if (!value || !format) return 0;
  std::string withEnd = std::string(format) + "%n";
  int consumed = 0;
  T read{};
  if (std::sscanf(text.c_str(), withEnd.c_str(), &read, &consumed) != 1) return 0;
  for (size_t i = static_cast<size_t>(consumed); i < text.size(); ++i)
    if (text[i] != ' ' && text[i] != '\t') return 0;
  *value = read;
  return 1;
}
}  // namespace

CATUnicodeString::CATUnicodeString(const char* utf8) {
  if (utf8) text_ = CATUTF8ToUTF16(utf8);
}
CATUnicodeString::CATUnicodeString(const char* utf8, size_t byteCount) {
  BuildFromUTF8(utf8, byteCount);
}
CATUnicodeString::CATUnicodeString(const std::string& utf8) : text_(CATUTF8ToUTF16(utf8)) {}
CATUnicodeString::CATUnicodeString(const CATString& text) : text_(CATUTF8ToUTF16(text.str())) {}

void CATUnicodeString::BuildFromUTF8(const char* utf8, size_t byteCount) {
  text_ = utf8 ? CATUTF8ToUTF16(std::string_view(utf8, byteCount)) : std::u16string();
  Touch();
}

void CATUnicodeString::BuildFromUCChar(const char16_t* text, size_t count) {
  text_ = text ? std::u16string(text, count) : std::u16string();
  Touch();
}

std::string CATUnicodeString::ConvertToUTF8() const {
  return CATUTF16ToUTF8(text_);
}

const char* CATUnicodeString::ConvertToChar() const {
  if (!cacheValid_) {
    utf8Cache_ = CATUTF16ToUTF8(text_);
    cacheValid_ = true;
  }
  return utf8Cache_.c_str();
}

void CATUnicodeString::BuildFromNum(int value, const char* format) {
  *this = Format(format, value);
}
void CATUnicodeString::BuildFromNum(unsigned int value, const char* format) {
  *this = Format(format, value);
}
void CATUnicodeString::BuildFromNum(long value, const char* format) {
  *this = Format(format, value);
}
void CATUnicodeString::BuildFromNum(double value, const char* format) {
  *this = Format(format, value);
}
int CATUnicodeString::ConvertToNum(int* value, const char* format) const {
  return Scan(ConvertToUTF8(), format, value);
}
int CATUnicodeString::ConvertToNum(long* value, const char* format) const {
  return Scan(ConvertToUTF8(), format, value);
}
int CATUnicodeString::ConvertToNum(double* value, const char* format) const {
  return Scan(ConvertToUTF8(), format, value);
}

int CATUnicodeString::SearchSubString(const CATUnicodeString& sub, int start, CATSearchMode mode) const {
  const int length = GetLengthInChar();
  if (mode == CATSearchModeBackward) {
    if (start < 0 || start >= length) start = length;
    size_t pos = text_.rfind(sub.text_, static_cast<size_t>(start));
    return pos == std::u16string::npos ? -1 : static_cast<int>(pos);
  }
  if (start < 0) start = 0;
  if (start > length) return -1;
  size_t pos = text_.find(sub.text_, static_cast<size_t>(start));
  return pos == std::u16string::npos ? -1 : static_cast<int>(pos);
}

CATUnicodeString CATUnicodeString::SubString(int start, int length) const {
  CATUnicodeString result;
  const int size = GetLengthInChar();
  if (start < 0) {
    length += start;
    start = 0;
  }
  if (start >= size || length <= 0) return result;
  result.text_ = text_.substr(static_cast<size_t>(start), static_cast<size_t>(length));
  return result;
}

CATUnicodeString CATUnicodeString::Strip(CATStripMode mode) const {
  size_t begin = 0, end = text_.size();
  if (mode & CATStripModeLeading)
    while (begin < end && IsBlank(text_[begin])) ++begin;
  if (mode & CATStripModeTrailing)
    while (end > begin && IsBlank(text_[end - 1])) --end;
  CATUnicodeString result;
  result.text_ = text_.substr(begin, end - begin);
  return result;
}

void CATUnicodeString::ToUpper() {
  for (auto& c : text_) c = static_cast<char16_t>(std::towupper(c));
  Touch();
}
void CATUnicodeString::ToLower() {
  for (auto& c : text_) c = static_cast<char16_t>(std::towlower(c));
  Touch();
}
CATUnicodeString CATUnicodeString::ToUpperCopy() const {
  CATUnicodeString copy(*this);
  copy.ToUpper();
  return copy;
}
CATUnicodeString CATUnicodeString::ToLowerCopy() const {
  CATUnicodeString copy(*this);
  copy.ToLower();
  return copy;
}

CATUnicodeString& CATUnicodeString::ReplaceSubString(int start, int length, const CATUnicodeString& with) {
  const int size = GetLengthInChar();
  if (start < 0) start = 0;
  if (start > size) start = size;
  if (length < 0) length = 0;
  if (length > size - start) length = size - start;
  text_.replace(static_cast<size_t>(start), static_cast<size_t>(length), with.text_);
  Touch();
  return *this;
}

int CATUnicodeString::ReplaceAll(const CATUnicodeString& what, const CATUnicodeString& with) {
  if (what.text_.empty()) return 0;
  int count = 0;
  size_t pos = 0;
  while ((pos = text_.find(what.text_, pos)) != std::u16string::npos) {
    text_.replace(pos, what.text_.size(), with.text_);
    pos += with.text_.size();
    ++count;
  }
  if (count) Touch();
  return count;
}

void CATUnicodeString::Resize(int length, char16_t fill) {
  text_.resize(static_cast<size_t>(length < 0 ? 0 : length), fill);
  Touch();
}

char16_t CATUnicodeString::operator[](int index) const {
  return index >= 0 && index < GetLengthInChar() ? text_[static_cast<size_t>(index)] : u'\0';
}

std::ostream& operator<<(std::ostream& os, const CATUnicodeString& text) {
  return os << text.ConvertToChar();
}
