#ifndef CATPLMNavServices_h
#define CATPLMNavServices_h
// Entry to the navigation model: the product tree of a reference.
#include "CATIPLMNavOccurrence.h"

class ExportedByCATPLMServices CATPLMNavServices {
 public:
  // The root occurrence of the tree of a reference, representation, bookmark or folder (a component, an
  // identificator or an occurrence standing for it); the same object on every call of one session.
  // E_FAIL for an instance, which is no root.
  static HRESULT GetRootOccurrence(CATBaseUnknown* iRoot, CATIPLMNavOccurrence_var& oRoot);
};

#endif
