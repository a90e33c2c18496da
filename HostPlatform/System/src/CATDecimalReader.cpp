#include "CATDecimalReader.h"

namespace {
template <class Char>
CATDecimalResult Read(std::basic_string_view<Char> text, long long min, long long max, long long& value,
                      CATDecimalSign sign) {
  size_t i = 0;
  bool negative = false;
  if (!text.empty() && sign != CATDecimalSign::None &&
      (text[0] == Char('-') || (sign == CATDecimalSign::Any && text[0] == Char('+')))) {
    negative = text[0] == Char('-');
    ++i;
  }
  if (i == text.size()) return CATDecimalResult::Syntax;
  // Reading stops adding digits once the magnitude would pass |LLONG_MIN|, so any count of digits is read
  // and a huge number is still told apart from a malformed one.
  constexpr unsigned long long kCeiling = 9223372036854775808ULL;  // |LLONG_MIN|
  unsigned long long magnitude = 0;
  bool over = false;
  for (; i < text.size(); ++i) {
    const Char c = text[i];
    if (c < Char('0') || c > Char('9')) return CATDecimalResult::Syntax;
    const unsigned digit = static_cast<unsigned>(c - Char('0'));
    if (over || magnitude > (kCeiling - digit) / 10) {
      over = true;
      continue;
    }
    magnitude = magnitude * 10 + digit;
  }
  if (over || (!negative && magnitude == kCeiling)) return CATDecimalResult::Range;
  const long long number =
      negative ? static_cast<long long>(0ULL - magnitude) : static_cast<long long>(magnitude);
  if (number < min || number > max) return CATDecimalResult::Range;
  value = number;
  return CATDecimalResult::OK;
}
}  // namespace

CATDecimalResult CATReadDecimal(std::string_view text, long long min, long long max, long long& value,
                                CATDecimalSign sign) {
  return Read(text, min, max, value, sign);
}

CATDecimalResult CATReadDecimal(std::u16string_view text, long long min, long long max, long long& value,
                                CATDecimalSign sign) {
  return Read(text, min, max, value, sign);
}
