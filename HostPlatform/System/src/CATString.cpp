#include "CATString.h"

#include <ostream>

int CATString::Search(const CATString& sub, int start) const {
  if (start < 0) start = 0;
  if (static_cast<size_t>(start) > text_.size()) return -1;
  size_t pos = text_.find(sub.text_, static_cast<size_t>(start));
  return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

CATString CATString::SubString(int start, int length) const {
  if (start < 0) {
    length += start;
    start = 0;
  }
  if (static_cast<size_t>(start) >= text_.size() || length <= 0) return CATString();
  return CATString(text_.substr(static_cast<size_t>(start), static_cast<size_t>(length)));
}

std::ostream& operator<<(std::ostream& os, const CATString& text) {
  return os << text.str();
}
