#ifndef CATListOfCATString_h
#define CATListOfCATString_h
#include "CATListVal.h"
#include "CATString.h"

typedef CATListVal<CATString> CATListValCATString;
typedef CATListValCATString CATListOfCATString;

#endif
