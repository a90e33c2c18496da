#ifndef CATAdpPLMQueryServices_h
#define CATAdpPLMQueryServices_h
// Database information about an identified PLM object.
#include "CATAdpPLMComponentUniqueKey.h"

class ExportedByCATPLMServices CATAdpPLMQueryServices {
 public:
  // The unique key of a stored object, with the attribute values as saved (changes not yet saved are not
  // part of it). E_FAIL for an object never saved or a session that has ended.
  static HRESULT GetUniqueKey(CATIAdpPLMIdentificator* iId, CATAdpPLMComponentUniqueKey& oKey);
};

#endif
