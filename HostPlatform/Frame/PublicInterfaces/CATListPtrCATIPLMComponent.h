#ifndef CATListPtrCATIPLMComponent_h
#define CATListPtrCATIPLMComponent_h
// A 1-based list of components, each handed out with one reference that the receiver releases.
#include "CATListVal.h"

class CATIPLMComponent;
typedef CATListVal<CATIPLMComponent*> CATListPtrCATIPLMComponent;

#endif
