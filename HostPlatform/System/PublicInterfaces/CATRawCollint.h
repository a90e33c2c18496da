#ifndef CATRawCollint_h
#define CATRawCollint_h
#include "CATListVal.h"

typedef CATListVal<int> CATRawCollint;
typedef CATRawCollint CATListOfInt;

#endif
