#include "ZELBackboneOpenParameter.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "ZELDebug.h"

CATUnicodeString ZELBackboneOpenParameter::DecodeHex(const char* iHex) {
  ZEL_DEBUG_SCOPE("ZELBackboneOpenParameter::DecodeHex");
  CATUnicodeString text;
  if (!iHex) return text;
  const size_t pairs = strlen(iHex) / 2;
  std::string bytes;
  bytes.reserve(pairs);
  for (size_t i = 0; i < pairs; ++i) {
    const char pair[3] = {iHex[2 * i], iHex[2 * i + 1], '\0'};
    const char byte = static_cast<char>(static_cast<unsigned long>(strtol(pair, nullptr, 16)) & 0xFF);
    if (byte == '\0') break;
    bytes.push_back(byte);
  }
  text.BuildFromUTF8(bytes.data(), bytes.size());
  return text.Strip(CATStripModeBoth);
}

bool ZELBackboneOpenParameter::Split(const CATUnicodeString& iText, CATUnicodeString& oType,
                                     CATUnicodeString& oIdentifier, CATUnicodeString& oRevision, int& oFirst,
                                     int& oSecond) {
  ZEL_DEBUG_SCOPE("ZELBackboneOpenParameter::Split");
  const CATUnicodeString delimiter("@@");
  const int delimiterLength = delimiter.GetLengthInChar();
  const int first = iText.SearchSubString(delimiter, 0, CATSearchModeForward);
  if (first < 0) return false;
  // Searching from inside the first delimiter would let "@@@" overlap it and give a negative identifier.
  const int second = iText.SearchSubString(delimiter, first + delimiterLength, CATSearchModeForward);
  if (second < 0) return false;
  oFirst = first;
  oSecond = second;
  oType = iText.SubString(0, first);
  oIdentifier = iText.SubString(first + delimiterLength, second - first - delimiterLength);
  oRevision = iText.SubString(second + delimiterLength, iText.GetLengthInChar() - second - delimiterLength);
  return true;
}

CATUnicodeString ZELBackboneOpenParameter::MajorRevision(const CATUnicodeString& iRevision) {
  ZEL_DEBUG_SCOPE("ZELBackboneOpenParameter::MajorRevision");
  const int dot = iRevision.SearchSubString(".", 0, CATSearchModeForward);
  return dot < 0 ? iRevision : iRevision.SubString(0, dot);
}
