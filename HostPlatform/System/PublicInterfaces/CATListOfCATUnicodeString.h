#ifndef CATListOfCATUnicodeString_h
#define CATListOfCATUnicodeString_h
#include "CATListVal.h"
#include "CATUnicodeString.h"

typedef CATListVal<CATUnicodeString> CATListValCATUnicodeString;
typedef CATListValCATUnicodeString CATListOfCATUnicodeString;

#endif
