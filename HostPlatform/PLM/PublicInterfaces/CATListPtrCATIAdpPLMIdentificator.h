#ifndef CATListPtrCATIAdpPLMIdentificator_h
#define CATListPtrCATIAdpPLMIdentificator_h
// A 1-based list of identificators, each handed out with one reference that the receiver releases.
#include "CATListVal.h"

class CATIAdpPLMIdentificator;
typedef CATListVal<CATIAdpPLMIdentificator*> CATListPtrCATIAdpPLMIdentificator;

#endif
