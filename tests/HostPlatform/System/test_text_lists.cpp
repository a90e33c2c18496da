// Text, lists and the object model: the pieces every other library builds on.
#include <gtest/gtest.h>

#include "CATBaseUnknown.h"
#include "CATListOfCATUnicodeString.h"
#include "CATRawCollPV.h"
#include "CATRawCollint.h"
#include "CATString.h"
#include "CATUnicodeString.h"

TEST(UnicodeText, Utf8RoundTripKeepsEveryCharacter) {
  const std::string samples[] = {"",       "plain",         "Grüße Ärger",
                                 "日本語", "emoji 😀 and 𝄞", std::string("nul\0in", 6)};
  for (const auto& s : samples) {
    CATUnicodeString text(s.data(), s.size());
    EXPECT_EQ(text.ConvertToUTF8(), s);
  }
  CATUnicodeString emoji("😀");
  EXPECT_EQ(emoji.GetLengthInChar(), 2);  // one surrogate pair
  EXPECT_EQ(emoji.GetLengthInByte(), 4);
}

TEST(UnicodeText, BrokenUtf8BecomesReplacementCharacters) {
  struct Case {
    std::string in;
    std::u16string out;
  } cases[] = {
      {"a\xC3", u"a\uFFFD"},            // truncated at the end
      {"\xC3(", u"\uFFFD("},            // continuation missing: the next byte survives
      {"\xC0\xAF", u"\uFFFD"},          // overlong slash
      {"\xED\xA0\x80x", u"\uFFFDx"},    // encoded surrogate
      {"\xFF\xFEz", u"\uFFFD\uFFFDz"},  // bytes that never start a sequence
      {"\xF4\x90\x80\x80", u"\uFFFD"},  // above U+10FFFF
  };
  for (const auto& c : cases) EXPECT_EQ(CATUnicodeString(c.in).GetUTF16(), c.out) << c.in;
  // A lone surrogate has no UTF-8 form and is written as U+FFFD.
  CATUnicodeString lone;
  const char16_t half[] = {u'a', 0xD800};
  lone.BuildFromUCChar(half, 2);
  EXPECT_EQ(lone.ConvertToUTF8(), "a\xEF\xBF\xBD");
}

TEST(UnicodeText, SearchSubStringStripAndReplace) {
  CATUnicodeString s("a@@b@@c");
  EXPECT_EQ(s.SearchSubString("@@"), 1);
  EXPECT_EQ(s.SearchSubString("@@", 2), 4);
  EXPECT_EQ(s.SearchSubString("@@", 5), -1);
  EXPECT_EQ(s.SearchSubString("@@", 100), -1);
  EXPECT_EQ(s.SearchSubString("@@", -1, CATSearchModeBackward), 4);
  EXPECT_EQ(s.SubString(3, 1), "b");
  EXPECT_EQ(s.SubString(5, 100), "@c");
  EXPECT_EQ(s.SubString(-2, 3), "a");
  EXPECT_TRUE(s.SubString(7, 1).IsNull());
  EXPECT_EQ(CATUnicodeString("  x y \t").Strip(CATStripModeBoth), "x y");
  EXPECT_EQ(CATUnicodeString("  x ").Strip(CATStripModeLeading), "x ");
  EXPECT_EQ(CATUnicodeString("  x ").Strip(CATStripModeTrailing), "  x");
  CATUnicodeString r("aXbXc");
  EXPECT_EQ(r.ReplaceAll("X", "XX"), 2);
  EXPECT_EQ(r, "aXXbXXc");
  r.ReplaceSubString(1, 100, "-");
  EXPECT_EQ(r, "a-");
  EXPECT_EQ(CATUnicodeString("HTTP://Host").ToLowerCopy(), "http://host");
  EXPECT_EQ(CATUnicodeString("Abc").Compare("Abc"), 1);
  EXPECT_EQ(CATUnicodeString("Abc").Compare("abc"), 0);
}

TEST(UnicodeText, NumbersConvertOnlyWhenTheWholeTextIsANumber) {
  int value = -1;
  EXPECT_EQ(CATUnicodeString("42").ConvertToNum(&value), 1);
  EXPECT_EQ(value, 42);
  EXPECT_EQ(CATUnicodeString(" -7 ").ConvertToNum(&value), 1);
  EXPECT_EQ(value, -7);
  value = 5;
  EXPECT_EQ(CATUnicodeString("12abc").ConvertToNum(&value), 0);
  EXPECT_EQ(CATUnicodeString("").ConvertToNum(&value), 0);
  EXPECT_EQ(CATUnicodeString("abc").ConvertToNum(&value), 0);
  EXPECT_EQ(value, 5);  // untouched on failure
  CATUnicodeString n;
  n.BuildFromNum(3000000000u, "%u");
  EXPECT_EQ(n, "3000000000");
  n.BuildFromNum(7, "%04d");
  EXPECT_EQ(n, "0007");
  // The UTF-8 view follows every modification.
  CATUnicodeString c("ab");
  const char* before = c.ConvertToChar();
  EXPECT_STREQ(before, "ab");
  c += "ü";
  EXPECT_STREQ(c.ConvertToChar(), "abü");
}

TEST(Lists, PositionsStartAtOneAndAreChecked) {
  CATListValCATUnicodeString list;
  list.Append("a");
  list.Append("b");
  list.InsertAt(1, "z");
  ASSERT_EQ(list.Size(), 3);
  EXPECT_EQ(list[1], "z");
  EXPECT_EQ(list[3], "b");
  EXPECT_EQ(list.Locate("b"), 3);
  EXPECT_EQ(list.Locate("q"), 0);
  EXPECT_THROW(list[0], std::out_of_range);
  EXPECT_THROW(list[4], std::out_of_range);
  list.RemovePosition(1);
  EXPECT_EQ(list[1], "a");
  CATRawCollint ints;
  ints.Append(3);
  ints.Append(3);
  EXPECT_EQ(ints.RemoveValue(3), 2);
  EXPECT_EQ(ints.Size(), 0);
}

TEST(Lists, PointerSortKeepsTheOrderOfEqualItems) {
  struct Item {
    int key;
    int seq;
  } items[] = {{2, 0}, {1, 1}, {2, 2}, {1, 3}, {0, 4}};
  CATRawCollPV list;
  for (auto& i : items) list.Append(&i);
  // A compare function that never answers 0, as the profiler's do.
  list.QuickSort([](const void* a, const void* b) {
    return static_cast<const Item*>(a)->key < static_cast<const Item*>(b)->key ? -1 : 1;
  });
  int seqs[5];
  for (int i = 1; i <= 5; ++i) seqs[i - 1] = static_cast<Item*>(list[i])->seq;
  EXPECT_EQ(std::vector<int>(seqs, seqs + 5), (std::vector<int>{4, 1, 3, 0, 2}));
}

namespace {
CATDeclareIID(ITestA);
CATDeclareIID(ITestB);
class ITestA : public CATBaseUnknown {
 public:
  CATDeclareInterfaceId(ITestA);
  virtual int A() = 0;
};
class ITestB : public CATBaseUnknown {
 public:
  CATDeclareInterfaceId(ITestB);
  virtual int B() = 0;
};
CATDeclareHandler(ITestA);
CATDeclareHandler(ITestB);

int g_alive = 0;
class OnlyA : public ITestA {
 public:
  OnlyA() { ++g_alive; }
  ~OnlyA() override { --g_alive; }
  int A() override { return 1; }
  HRESULT QueryInterface(const IID& iid, void** out) override {
    return CATQueryInterfaceOf<ITestA>(this, iid, out);
  }
};
class Both : public ITestA, public ITestB {
 public:
  Both() { ++g_alive; }
  ~Both() override { --g_alive; }
  int A() override { return 10; }
  int B() override { return 20; }
  HRESULT QueryInterface(const IID& iid, void** out) override {
    return CATQueryInterfaceOf<ITestA, ITestB>(this, iid, out);
  }
  ULONG AddRef() override { return ITestA::AddRef(); }
  ULONG Release() override { return ITestA::Release(); }
};
}  // namespace

TEST(ObjectModel, HandlersQueryCountAndRelease) {
  static_assert(!(IID_ITestA == IID_ITestB));
  {
    OnlyA* raw = new OnlyA();
    ITestA_var a(raw);
    raw->Release();  // the handler now holds the only reference
    EXPECT_EQ(a->RefCount(), 1u);
    ITestB_var b = a;  // no such interface: stays null
    EXPECT_TRUE(b == NULL_var);
    EXPECT_TRUE(!b);
    CATBaseUnknown_var base = a;
    EXPECT_TRUE(base != NULL_var);
    EXPECT_EQ(a->RefCount(), 2u);
    base = NULL_var;
    EXPECT_EQ(a->RefCount(), 1u);
  }
  EXPECT_EQ(g_alive, 0);
  {
    Both* raw = new Both();
    ITestA_var a(static_cast<ITestA*>(raw));
    raw->ITestA::Release();
    ITestB_var b = a;
    ASSERT_TRUE(b != NULL_var);
    EXPECT_EQ(b->B(), 20);
    ITestA_var back = b;
    EXPECT_EQ(back->A(), 10);
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(a->QueryInterface(IID_CATBaseUnknown, nullptr), E_INVALIDARG);
    EXPECT_EQ(a->QueryInterface(CATMakeIID("Unknown"), &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
  }
  EXPECT_EQ(g_alive, 0);
  EXPECT_TRUE(FAILED(E_FAIL));
  EXPECT_LT(E_FAIL, 0);
}
