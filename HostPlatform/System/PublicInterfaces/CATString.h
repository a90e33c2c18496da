#ifndef CATString_h
#define CATString_h
// 8-bit text for names: catalogs, keys, resource names.
#include <cstring>
#include <iosfwd>
#include <string>

#include "CATDataType.h"

class ExportedByCATSysTS CATString {
 public:
  CATString() = default;
  CATString(const char* text) : text_(text ? text : "") {}
  CATString(const char* text, size_t length) : text_(text ? std::string(text, length) : std::string()) {}
  CATString(const std::string& text) : text_(text) {}

  const char* CastToCharPtr() const { return text_.c_str(); }
  operator const char*() const { return text_.c_str(); }
  const std::string& str() const { return text_; }
  int GetLengthInChar() const { return static_cast<int>(text_.size()); }
  int IsNull() const { return text_.empty() ? 1 : 0; }
  void Append(const CATString& other) { text_ += other.text_; }
  // Position of sub at or after start; -1 when absent.
  int Search(const CATString& sub, int start = 0) const;
  CATString SubString(int start, int length) const;

  // Byte-wise ordering, as strcmp.
  int Compare(const CATString& other) const { return std::strcmp(text_.c_str(), other.text_.c_str()); }
  bool operator==(const CATString& other) const { return text_ == other.text_; }
  bool operator==(const char* other) const { return text_ == (other ? other : ""); }
  bool operator!=(const CATString& other) const { return text_ != other.text_; }
  bool operator<(const CATString& other) const { return text_ < other.text_; }
  bool operator>(const CATString& other) const { return text_ > other.text_; }
  CATString& operator+=(const CATString& other) {
    text_ += other.text_;
    return *this;
  }
  friend CATString operator+(CATString a, const CATString& b) { return a += b; }
  friend CATString operator+(CATString a, const char* b) { return a += CATString(b); }

 private:
  std::string text_;
};

ExportedByCATSysTS std::ostream& operator<<(std::ostream& os, const CATString& text);

#endif
