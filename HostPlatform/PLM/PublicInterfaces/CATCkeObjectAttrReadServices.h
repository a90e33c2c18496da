#ifndef CATCkeObjectAttrReadServices_h
#define CATCkeObjectAttrReadServices_h
// Reading knowledge attributes as the session holds them (changes not yet saved included).
#include "CATICkeObject.h"
#include "CATTime.h"

class ExportedByCATPLMServices CATCkeObjectAttrReadServices {
 public:
  // The value as text: a String as it is, an Integer in decimal, a Real in its shortest exact form, a
  // Boolean "true" or "false", a Date in UTC as "YYYY-MM-DDTHH:MM:SSZ". E_FAIL for an unknown attribute.
  static HRESULT ShowAttributeValue(const CATICkeObject_var& iObject, const CATUnicodeString& iName,
                                    CATUnicodeString& oValue);
  // E_FAIL unless the attribute is a Date.
  static HRESULT GetValueAsTime(const CATICkeObject_var& iObject, const CATUnicodeString& iName,
                                CATTime& oTime);
};

#endif
