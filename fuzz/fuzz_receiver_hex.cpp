// libFuzzer target: arbitrary bytes as the additional info of an open request, through the receiver's
// hexadecimal decoding and its "@@" split. Besides crashes, sanitizer reports and hangs it checks that the
// decoded text never holds more characters than half the input, that a split's three parts and two
// delimiters give back the text, and that a major revision holds no ".".
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ZELBackboneOpenParameter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The additional info reaches the receiver as a zero-terminated text.
  const std::string info(reinterpret_cast<const char*>(data), size);
  const CATUnicodeString text = ZELBackboneOpenParameter::DecodeHex(info.c_str());
  if (static_cast<size_t>(text.GetLengthInChar()) > info.size() / 2 + 1) std::abort();

  // The input also as a decoded text itself, so the split sees delimiters without hexadecimal luck.
  for (const CATUnicodeString& candidate : {text, CATUnicodeString(info.c_str())}) {
    CATUnicodeString type, identifier, revision;
    int first = -1, second = -1;
    if (!ZELBackboneOpenParameter::Split(candidate, type, identifier, revision, first, second)) continue;
    if (first < 0 || second < first + 2) std::abort();
    if (!(type + "@@" + identifier + "@@" + revision == candidate)) std::abort();
    if (type.SearchSubString("@@") >= 0 || identifier.SearchSubString("@@") >= 0) std::abort();
    if (ZELBackboneOpenParameter::MajorRevision(revision).SearchSubString(".") >= 0) std::abort();
  }
  return 0;
}
