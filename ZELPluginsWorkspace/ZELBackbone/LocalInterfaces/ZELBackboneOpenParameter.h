#ifndef ZELBackboneOpenParameter_h
#define ZELBackboneOpenParameter_h
// The parameter text of an open request: the hexadecimal form of the UTF-8 bytes of
// "<type>@@<external identifier>@@<revision>".
#include "CATUnicodeString.h"
#include "ZELBackboneExport.h"

class ExportedByZELBackbone ZELBackboneOpenParameter {
 public:
  // Two digits per byte, each pair read as strtol base 16 reads it (low 8 bits kept); an odd last digit is
  // ignored and a zero byte ends the text. The bytes are UTF-8; blanks at both ends are stripped.
  static CATUnicodeString DecodeHex(const char* iHex);

  // Splits at the first "@@" and at the next "@@" after it. The second search starts after the whole first
  // delimiter, so "T@@@X@@R" yields type "T", identifier "@X", revision "R". False, with the outputs left
  // as they are, when the text holds fewer than two delimiters.
  static bool Split(const CATUnicodeString& iText, CATUnicodeString& oType, CATUnicodeString& oIdentifier,
                    CATUnicodeString& oRevision, int& oFirst, int& oSecond);

  // The part of a revision before its first "." (A.1 gives A); a revision without "." whole.
  static CATUnicodeString MajorRevision(const CATUnicodeString& iRevision);
};

#endif
