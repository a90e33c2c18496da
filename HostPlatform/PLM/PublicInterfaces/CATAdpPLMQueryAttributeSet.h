#ifndef CATAdpPLMQueryAttributeSet_h
#define CATAdpPLMQueryAttributeSet_h
// The attribute conditions of a query: name, value and comparison.
#include "CATListOfCATUnicodeString.h"
#include "CATPLMServicesExport.h"
#include "CATRawCollint.h"

enum CATAdpPLMQueryOperator { CATAdpPLMQueryEqual = 0 };

class ExportedByCATPLMServices CATAdpPLMQueryAttributeSet {
 public:
  // E_INVALIDARG for an empty name or an operator the platform does not know.
  HRESULT AddStringAttribute(const CATUnicodeString& iName, const CATUnicodeString& iValue,
                             CATAdpPLMQueryOperator iOperator = CATAdpPLMQueryEqual);
  int Size() const { return names_.Size(); }
  // 1-based, as added.
  const CATUnicodeString& GetName(int iIndex) const { return names_[iIndex]; }
  const CATUnicodeString& GetValue(int iIndex) const { return values_[iIndex]; }

 private:
  CATListValCATUnicodeString names_;
  CATListValCATUnicodeString values_;
};

#endif
