#ifndef CATAdpPLMExtendedQueryServices_h
#define CATAdpPLMExtendedQueryServices_h
// Queries of the database. A query sees what is stored: objects never saved and changes not yet saved
// are not found.
#include "CATAdpPLMComponentInfosIter.h"
#include "CATAdpPLMQueryFilter.h"
#include "CATIAdpPLMErrorReviewer.h"

class ExportedByCATPLMServices CATAdpPLMExtendedQueryServices {
 public:
  // Appends the objects found, in database order. No match is S_OK with nothing appended. A failure
  // (no type, no database, a refused query) is E_FAIL with the last error and the reviewer told why.
  static HRESULT GetElementsFromQueryFilter(const CATAdpPLMQueryFilter& iFilter,
                                            CATAdpPLMComponentInfosIter& oResults,
                                            CATIAdpPLMErrorReviewer* iReviewer = nullptr);
};

#endif
