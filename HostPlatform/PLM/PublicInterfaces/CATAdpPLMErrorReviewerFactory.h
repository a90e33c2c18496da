#ifndef CATAdpPLMErrorReviewerFactory_h
#define CATAdpPLMErrorReviewerFactory_h
#include "CATIAdpPLMErrorReviewer.h"

class ExportedByCATPLMServices CATAdpPLMErrorReviewerFactory {
 public:
  // A new, empty reviewer.
  static HRESULT CreateErrorReviewer(CATIAdpPLMErrorReviewer_var& oReviewer);
};

#endif
