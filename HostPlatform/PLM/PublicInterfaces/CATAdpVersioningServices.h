#ifndef CATAdpVersioningServices_h
#define CATAdpVersioningServices_h
#include "CATIAdpPLMIdentificator.h"
#include "CATListPtrCATIAdpPLMIdentificator.h"

class ExportedByCATPLMServices CATAdpVersioningServices {
 public:
  // Appends every stored version of the object (same type and "PLM_ExternalID"), the object included,
  // ordered by "majorrevision". An object never saved has no other version than itself. Each appended
  // identificator carries one reference for the caller.
  static HRESULT GetAllVersions(CATIAdpPLMIdentificator* iId, CATListPtrCATIAdpPLMIdentificator& oVersions);
};

#endif
