#ifndef CATCkePLMNavPublicServices_h
#define CATCkePLMNavPublicServices_h
// Knowledge view of PLM objects.
#include "CATAttributeInfos.h"
#include "CATICkeObject.h"

class ExportedByCATPLMServices CATCkePLMNavPublicServices {
 public:
  // The object's attributes in definition order. Criterion 0 lists every attribute (no other criterion
  // exists: E_INVALIDARG). The list is emptied first unless iAppend is non-zero.
  static HRESULT ListAttributesFromObject(int iCriterion, const CATICkeObject_var& iObject,
                                          CATListValCATAttributeInfos& oAttributes, int iAppend = 0);
  // The attribute holding the major revision of objects of a type ("majorrevision"); a null type asks
  // for the general name. E_FAIL for an instance type, which is not revised.
  static HRESULT GetMajorRevisionAttributeName(const CATIType_var& iType, CATUnicodeString& oName);
};

#endif
