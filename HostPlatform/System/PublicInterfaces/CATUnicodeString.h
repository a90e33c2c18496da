#ifndef CATUnicodeString_h
#define CATUnicodeString_h
// Unicode text held as UTF-16; every char* boundary is UTF-8 (invalid input decodes to U+FFFD).
#include <cstddef>
#include <iosfwd>
#include <string>
#include <string_view>

#include "CATDataType.h"
#include "CATUTF8Codec.h"

class CATString;

enum CATStripMode { CATStripModeLeading = 1, CATStripModeTrailing = 2, CATStripModeBoth = 3 };
enum CATSearchMode { CATSearchModeForward = 0, CATSearchModeBackward = 1 };

class ExportedByCATSysTS CATUnicodeString {
 public:
  CATUnicodeString() = default;
  CATUnicodeString(const char* utf8);
  CATUnicodeString(const char* utf8, size_t byteCount);
  CATUnicodeString(const std::string& utf8);
  CATUnicodeString(const CATString& text);
  CATUnicodeString(const CATUnicodeString&) = default;
  CATUnicodeString(CATUnicodeString&&) noexcept = default;
  CATUnicodeString& operator=(const CATUnicodeString&) = default;
  CATUnicodeString& operator=(CATUnicodeString&&) noexcept = default;
  ~CATUnicodeString() = default;

  // Conversions.
  void BuildFromUTF8(const char* utf8, size_t byteCount);
  void BuildFromUCChar(const char16_t* text, size_t count);
  std::string ConvertToUTF8() const;
  // UTF-8 form, valid until the string is next modified or destroyed.
  const char* ConvertToChar() const;
  const char* CastToCharPtr() const { return ConvertToChar(); }
  const std::u16string& GetUTF16() const { return text_; }

  // Numbers: printf-style formats; ConvertToNum returns the count of converted items (1 on success).
  void BuildFromNum(int value, const char* format = "%d");
  void BuildFromNum(unsigned int value, const char* format = "%u");
  void BuildFromNum(long value, const char* format = "%ld");
  void BuildFromNum(double value, const char* format = "%g");
  int ConvertToNum(int* value, const char* format = "%d") const;
  int ConvertToNum(long* value, const char* format = "%ld") const;
  int ConvertToNum(double* value, const char* format = "%lf") const;

  // Length in UTF-16 code units, as every position below.
  int GetLengthInChar() const { return static_cast<int>(text_.size()); }
  int GetLengthInByte() const { return static_cast<int>(ConvertToUTF8().size()); }
  int IsNull() const { return text_.empty() ? 1 : 0; }

  // Position of the sub-string at or after (forward) / at or before (backward) start; -1 when absent.
  int SearchSubString(const CATUnicodeString& sub, int start = 0,
                      CATSearchMode mode = CATSearchModeForward) const;
  // Characters [start, start+length), clamped to the string.
  CATUnicodeString SubString(int start, int length) const;
  CATUnicodeString Strip(CATStripMode mode = CATStripModeBoth) const;
  void ToUpper();
  void ToLower();
  CATUnicodeString ToUpperCopy() const;
  CATUnicodeString ToLowerCopy() const;
  // Replaces length characters at start (clamped); returns the string.
  CATUnicodeString& ReplaceSubString(int start, int length, const CATUnicodeString& with);
  // Replaces every occurrence; returns the number replaced.
  int ReplaceAll(const CATUnicodeString& what, const CATUnicodeString& with);
  void Append(const CATUnicodeString& other) { text_ += other.text_, Touch(); }
  void Resize(int length, char16_t fill = u' ');
  void Clear() { text_.clear(), Touch(); }

  // 1 when equal, 0 otherwise.
  int Compare(const CATUnicodeString& other) const { return text_ == other.text_ ? 1 : 0; }
  bool operator==(const CATUnicodeString& other) const { return text_ == other.text_; }
  bool operator==(const char* other) const { return *this == CATUnicodeString(other); }
  bool operator<(const CATUnicodeString& other) const { return text_ < other.text_; }
  char16_t operator[](int index) const;

  CATUnicodeString& operator+=(const CATUnicodeString& other) {
    Append(other);
    return *this;
  }
  CATUnicodeString& operator+=(const char* other) { return *this += CATUnicodeString(other); }
  friend CATUnicodeString operator+(CATUnicodeString a, const CATUnicodeString& b) { return a += b; }
  friend CATUnicodeString operator+(CATUnicodeString a, const char* b) { return a += b; }
  friend CATUnicodeString operator+(const char* a, const CATUnicodeString& b) {
    return CATUnicodeString(a) += b;
  }

 private:
  void Touch() { cacheValid_ = false; }
  std::u16string text_;
  mutable std::string utf8Cache_;
  mutable bool cacheValid_ = false;
};

ExportedByCATSysTS std::ostream& operator<<(std::ostream& os, const CATUnicodeString& text);

#endif
