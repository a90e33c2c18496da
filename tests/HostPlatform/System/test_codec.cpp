// The platform's text codec (UTF-8, UTF-16, code points) and its reader of decimal integers.
#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>
#include <vector>

#include "CATDecimalReader.h"
#include "CATUTF8Codec.h"
#include "CATUnicodeString.h"

namespace {

// Every Unicode scalar value, in order.
std::u32string AllScalarValues() {
  std::u32string all;
  all.reserve(0x110000 - 0x800);
  for (char32_t c = 0; c <= 0x10FFFF; ++c)
    if (c < 0xD800 || c > 0xDFFF) all.push_back(c);
  return all;
}

bool HasLoneSurrogate(const std::u16string& text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] >= 0xD800 && text[i] <= 0xDBFF) {
      if (i + 1 >= text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) return true;
      ++i;
    } else if (text[i] >= 0xDC00 && text[i] <= 0xDFFF) {
      return true;
    }
  }
  return false;
}

}  // namespace

TEST(Codec, EveryScalarValueSurvivesEveryPath) {
  const std::u32string all = AllScalarValues();
  const std::u16string utf16 = CATUTF32ToUTF16(all);
  EXPECT_EQ(CATUTF16ToUTF32(utf16), all);
  const std::string utf8 = CATUTF16ToUTF8(utf16);
  EXPECT_EQ(CATUTF8ToUTF16(utf8), utf16);
  EXPECT_EQ(CATUTF16LengthOfUTF8(utf8), utf16.size());

  std::string appended;
  std::u16string appended16;
  for (char32_t c : all) CATAppendUTF8(appended, c), CATAppendUTF16(appended16, c);
  EXPECT_EQ(appended, utf8);
  EXPECT_EQ(appended16, utf16);

  // The strict reader walks the same text sequence by sequence.
  size_t at = 0, count = 0;
  char32_t cp = 0;
  while (at < utf8.size()) {
    const size_t length = CATDecodeUTF8(utf8, at, cp);
    ASSERT_GT(length, 0u) << "at byte " << at;
    ASSERT_EQ(cp, all[count]);
    at += length, ++count;
  }
  EXPECT_EQ(count, all.size());
}

TEST(Codec, KnownEncodings) {
  EXPECT_EQ(CATUTF16ToUTF8(u"A\u00E9\u20AC\U0001F600"), "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
  EXPECT_EQ(CATUTF8ToUTF16("A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"), u"A\u00E9\u20AC\U0001F600");
  EXPECT_EQ(CATUTF8ToUTF16(std::string_view("a\0b", 3)), std::u16string(u"a\0b", 3));
  EXPECT_EQ(CATUTF8ToUTF16(""), u"");
  EXPECT_EQ(CATUTF16ToUTF8(u""), "");
}

// A broken sequence costs one U+FFFD and reading resumes at the first byte it did not take.
TEST(Codec, InvalidUTF8ReadsAsReplacementCharacters) {
  struct Case {
    std::string bytes;
    std::u16string text;
  };
  const Case cases[] = {
      {"\xE2\x82X", u"\uFFFDX"},           // continuation missing: lead and valid part are one
      {"\xF0\x9F\x98", u"\uFFFD"},         // cut off at the end
      {"a\xF0\x9F\x98\x62", u"a\uFFFDb"},  // cut off before an ASCII byte
      {"\x80\xBF", u"\uFFFD\uFFFD"},       // continuation bytes without a lead
      {"\xC0\x80", u"\uFFFD"},             // overlong NUL
      {"\xE0\x80\xAF", u"\uFFFD"},         // overlong "/"
      {"\xED\xA0\x80", u"\uFFFD"},         // encoded surrogate
      {"\xF4\x90\x80\x80", u"\uFFFD"},     // above U+10FFFF
      {"\xF5\x80\x80\x80", u"\uFFFD"},     // lead of a value above U+10FFFF
      {"\xF8\x88\x80\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},  // five-byte form: no such lead
      {"\xFF\xFEx", u"\uFFFD\uFFFDx"},
      {"\xC3\xC3\xA9", u"\uFFFD\u00E9"},  // a lead cut short by the next lead
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.bytes));
    EXPECT_EQ(CATUTF8ToUTF16(c.bytes), c.text);
    EXPECT_EQ(CATUTF16LengthOfUTF8(c.bytes), c.text.size());
    // The strict reader refuses the first sequence unless it is ASCII.
    char32_t cp = 0;
    if (static_cast<unsigned char>(c.bytes[0]) >= 0x80) {
      EXPECT_EQ(CATDecodeUTF8(c.bytes, 0, cp), 0u);
    }
    // The string type reads char* text the same way.
    EXPECT_EQ(CATUnicodeString(c.bytes).GetUTF16(), c.text);
  }
  char32_t cp = 0;
  EXPECT_EQ(CATDecodeUTF8("abc", 3, cp), 0u);  // past the end: nothing to read
}

TEST(Codec, LoneSurrogatesBecomeReplacementCharacters) {
  const std::u16string high(1, u'\xD83D'), low(1, u'\xDE00');
  EXPECT_EQ(CATUTF16ToUTF8(high), "\xEF\xBF\xBD");
  EXPECT_EQ(CATUTF16ToUTF8(low + u"x"), "\xEF\xBF\xBDx");
  EXPECT_EQ(CATUTF16ToUTF8(low + high), "\xEF\xBF\xBD\xEF\xBF\xBD");  // the wrong order is no pair
  EXPECT_EQ(CATUTF16ToUTF8(high + low), "\xF0\x9F\x98\x80");
  EXPECT_EQ(CATUTF16ToUTF32(high + u"a" + low), U"\uFFFDa\uFFFD");

  // The step reader hands a lone surrogate back as itself, a pair as one code point.
  char32_t cp = 0;
  EXPECT_EQ(CATDecodeUTF16(high + u"a", 0, cp), 1u);
  EXPECT_EQ(cp, 0xD83Du);
  EXPECT_EQ(CATDecodeUTF16(high + low, 0, cp), 2u);
  EXPECT_EQ(cp, 0x1F600u);
  EXPECT_EQ(CATDecodeUTF16(high, 1, cp), 0u);

  // Values that are not scalar values cannot be written.
  for (char32_t bad : {char32_t(0xD800), char32_t(0xDFFF), char32_t(0x110000), char32_t(0xFFFFFFFF)}) {
    std::string out;
    std::u16string out16;
    CATAppendUTF8(out, bad);
    CATAppendUTF16(out16, bad);
    EXPECT_EQ(out, "\xEF\xBF\xBD");
    EXPECT_EQ(out16, u"\uFFFD");
  }
  EXPECT_EQ(CATUTF32ToUTF16(U"a\x110000"), u"a\uFFFD");

  CATUnicodeString text;
  text.BuildFromUCChar(high.data(), 1);
  EXPECT_STREQ(text.ConvertToChar(), "\xEF\xBF\xBD");
}

// Whatever the bytes, decoding gives well-formed UTF-16 of the announced length that encodes back to
// well-formed UTF-8, and valid UTF-8 comes back byte for byte.
TEST(Codec, ArbitraryBytesDecodeToWellFormedText) {
  std::mt19937 random(20261207);
  const unsigned char interesting[] = {0x00, 0x41, 0x7F, 0x80, 0xBF, 0xC0, 0xC2, 0xDF, 0xE0,
                                       0xED, 0xEF, 0xF0, 0xF4, 0xF5, 0xF8, 0xFE, 0xFF};
  for (int round = 0; round < 2000; ++round) {
    std::string bytes(random() % 24, '\0');
    for (char& b : bytes)
      b = static_cast<char>(random() % 2 ? interesting[random() % sizeof interesting] : random() % 256);
    const std::u16string text = CATUTF8ToUTF16(bytes);
    ASSERT_FALSE(HasLoneSurrogate(text)) << testing::PrintToString(bytes);
    ASSERT_EQ(CATUTF16LengthOfUTF8(bytes), text.size()) << testing::PrintToString(bytes);
    const std::string again = CATUTF16ToUTF8(text);
    ASSERT_EQ(CATUTF8ToUTF16(again), text) << testing::PrintToString(bytes);
    bool valid = true;
    char32_t cp;
    for (size_t at = 0; at < bytes.size() && valid;) {
      const size_t length = CATDecodeUTF8(bytes, at, cp);
      valid = length > 0;
      at += length;
    }
    if (valid) {
      ASSERT_EQ(again, bytes);
    }
  }
}

TEST(DecimalReader, WholeTextIsTheNumber) {
  struct Case {
    const char* text;
    CATDecimalSign sign;
    CATDecimalResult result;
    long long value;
  };
  const auto None = CATDecimalSign::None, Minus = CATDecimalSign::Minus, Any = CATDecimalSign::Any;
  const auto OK = CATDecimalResult::OK, Syntax = CATDecimalResult::Syntax;
  const Case cases[] = {
      {"0", None, OK, 0},        {"42", None, OK, 42},         {"007", None, OK, 7},
      {"-0", Minus, OK, 0},      {"-42", Minus, OK, -42},      {"-42", Any, OK, -42},
      {"+42", Any, OK, 42},      {"+42", Minus, Syntax, 0},    {"-42", None, Syntax, 0},
      {"+42", None, Syntax, 0},  {"", Any, Syntax, 0},         {"-", Any, Syntax, 0},
      {"+", Any, Syntax, 0},     {"--4", Any, Syntax, 0},      {"+-4", Any, Syntax, 0},
      {" 4", Any, Syntax, 0},    {"4 ", Any, Syntax, 0},       {"4\n", Any, Syntax, 0},
      {"\t4", Any, Syntax, 0},   {"4x", Any, Syntax, 0},       {"0x10", Any, Syntax, 0},
      {"1.5", Any, Syntax, 0},   {"1e3", Any, Syntax, 0},      {"1,000", Any, Syntax, 0},
      {"1_000", Any, Syntax, 0}, {"\xD9\xA3", Any, Syntax, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    long long value = 1234;
    EXPECT_EQ(CATReadDecimal(c.text, LLONG_MIN, LLONG_MAX, value, c.sign), c.result);
    EXPECT_EQ(value, c.result == OK ? c.value : 1234);  // untouched unless read
    // The UTF-16 form reads the same.
    const std::u16string wide = CATUTF8ToUTF16(c.text);
    value = 1234;
    EXPECT_EQ(CATReadDecimal(wide, LLONG_MIN, LLONG_MAX, value, c.sign), c.result);
    EXPECT_EQ(value, c.result == OK ? c.value : 1234);
  }
  long long value = 0;
  EXPECT_EQ(CATReadDecimal(u"\uFF15", 0, 9, value), CATDecimalResult::Syntax);  // full-width "5"
  EXPECT_EQ(CATReadDecimal(std::string_view("5\0", 2), 0, 9, value), CATDecimalResult::Syntax);
  EXPECT_EQ(CATReadDecimal("12", 0, 99, value), CATDecimalResult::OK);  // sign defaults to none
  EXPECT_EQ(CATReadDecimal("-12", -99, 99, value), CATDecimalResult::Syntax);
}

TEST(DecimalReader, RangeIsCheckedWhateverTheLength) {
  const auto Any = CATDecimalSign::Any;
  const auto OK = CATDecimalResult::OK, Range = CATDecimalResult::Range;
  long long value = 0;
  EXPECT_EQ(CATReadDecimal("9223372036854775807", LLONG_MIN, LLONG_MAX, value, Any), OK);
  EXPECT_EQ(value, LLONG_MAX);
  EXPECT_EQ(CATReadDecimal("-9223372036854775808", LLONG_MIN, LLONG_MAX, value, Any), OK);
  EXPECT_EQ(value, LLONG_MIN);
  EXPECT_EQ(CATReadDecimal("9223372036854775808", LLONG_MIN, LLONG_MAX, value, Any), Range);
  EXPECT_EQ(CATReadDecimal("-9223372036854775809", LLONG_MIN, LLONG_MAX, value, Any), Range);
  EXPECT_EQ(CATReadDecimal("18446744073709551617", LLONG_MIN, LLONG_MAX, value, Any), Range);  // 2^64 + 1
  EXPECT_EQ(CATReadDecimal(std::string(1000, '9'), LLONG_MIN, LLONG_MAX, value, Any), Range);
  // A long number is still read to its end: junk after it is a syntax fault, not a range fault.
  EXPECT_EQ(CATReadDecimal(std::string(1000, '9') + "x", LLONG_MIN, LLONG_MAX, value, Any),
            CATDecimalResult::Syntax);
  value = 0;
  EXPECT_EQ(CATReadDecimal(std::string(1000, '0') + "1", LLONG_MIN, LLONG_MAX, value, Any), OK);
  EXPECT_EQ(value, 1);

  EXPECT_EQ(CATReadDecimal("2147483647", INT_MIN, INT_MAX, value, Any), OK);
  EXPECT_EQ(CATReadDecimal("2147483648", INT_MIN, INT_MAX, value, Any), Range);
  EXPECT_EQ(CATReadDecimal("-2147483648", INT_MIN, INT_MAX, value, Any), OK);
  EXPECT_EQ(CATReadDecimal("-2147483649", INT_MIN, INT_MAX, value, Any), Range);
  EXPECT_EQ(CATReadDecimal("0", 1, 65535, value), Range);
  EXPECT_EQ(CATReadDecimal("65536", 1, 65535, value), Range);
  EXPECT_EQ(CATReadDecimal("65535", 1, 65535, value), OK);
  EXPECT_EQ(CATReadDecimal("5", 7, 3, value), Range);  // an empty range takes nothing
}
