#ifndef CATCkeObjectAttrWriteServices_h
#define CATCkeObjectAttrWriteServices_h
// Writing knowledge attributes in the session; CATAdpSaver::Save stores them.
#include "CATICkeObject.h"
#include "CATUnicodeString.h"

class ExportedByCATPLMServices CATCkeObjectAttrWriteServices {
 public:
  // Sets the attribute from its text form (as CATCkeObjectAttrReadServices::ShowAttributeValue writes it;
  // Booleans ignore case). E_FAIL, value unchanged, for an unknown attribute or a text that is not a value
  // of the attribute's type (an Integer beyond 32 bits, a Real that is not finite, a date that does not
  // exist), with the last error saying why.
  static HRESULT SetValueWithString(const CATICkeObject_var& iObject, const CATUnicodeString& iName,
                                    const CATUnicodeString& iValue);
};

#endif
