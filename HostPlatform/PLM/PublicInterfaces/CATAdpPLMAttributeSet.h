#ifndef CATAdpPLMAttributeSet_h
#define CATAdpPLMAttributeSet_h
// Identifying attributes of a PLM object as stored in the database ("PLM_ExternalID", "majorrevision",
// "name", "revision", those the object has). A value: copies are independent.
#include "CATListOfCATUnicodeString.h"
#include "CATPLMServicesExport.h"

class ExportedByCATPLMServices CATAdpPLMAttributeSet {
 public:
  // E_FAIL and an unchanged value when the set has no attribute of that name.
  HRESULT GetStringAttributeValue(const CATUnicodeString& iName, CATUnicodeString& oValue) const;
  // Adds the attribute, or replaces its value.
  void SetStringAttributeValue(const CATUnicodeString& iName, const CATUnicodeString& iValue);
  int Size() const { return names_.Size(); }

 private:
  CATListValCATUnicodeString names_;
  CATListValCATUnicodeString values_;
};

#endif
