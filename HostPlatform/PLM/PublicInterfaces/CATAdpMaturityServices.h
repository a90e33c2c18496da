#ifndef CATAdpMaturityServices_h
#define CATAdpMaturityServices_h
#include "CATIAdpPLMIdentificator.h"
#include "CATListOfCATUnicodeString.h"

class ExportedByCATPLMServices CATAdpMaturityServices {
 public:
  // The object's maturity state ("IN_WORK", "FROZEN", "RELEASED", ...) and the transitions its lifecycle
  // allows from there: names and target states, appended pairwise. E_FAIL for an object without lifecycle
  // (an instance).
  static HRESULT GetStateAndPossibleTransitions(CATIAdpPLMIdentificator* iId, CATUnicodeString& oState,
                                                CATListValCATUnicodeString& oTransitions,
                                                CATListValCATUnicodeString& oTargetStates);
};

#endif
