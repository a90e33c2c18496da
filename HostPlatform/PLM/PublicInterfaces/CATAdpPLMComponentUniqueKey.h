#ifndef CATAdpPLMComponentUniqueKey_h
#define CATAdpPLMComponentUniqueKey_h
// What identifies one stored PLM object in the database: its type and its identifying attributes.
#include "CATAdpPLMComponentInfosIter.h"

class ExportedByCATPLMServices CATAdpPLMComponentUniqueKey {
 public:
  // The object's information: one entry (identificator, type, attribute set). E_FAIL for an empty key.
  HRESULT MoreInformation(CATAdpPLMComponentInfosIter& oInfos) const;
  void Set(const CATIAdpPLMIdentificator_var& iId, const CATIType_var& iType,
           const CATAdpPLMAttributeSet& iAttributes);

 private:
  CATIAdpPLMIdentificator_var id_;
  CATIType_var type_;
  CATAdpPLMAttributeSet attributes_;
};

#endif
