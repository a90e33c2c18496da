#ifndef ZELQueryResultAttribute_h
#define ZELQueryResultAttribute_h
// One attribute of a found PDM item: name and value as the gateway gave them.
#include "CATUnicodeString.h"
#include "ZELPlmExport.h"

class ExportedByZELPlm ZELQueryResultAttribute {
 public:
  ZELQueryResultAttribute(const CATUnicodeString& name, const CATUnicodeString& value);

  const CATUnicodeString& GetName() const { return _name; }
  const CATUnicodeString& GetValue() const { return _value; }

 private:
  CATUnicodeString _name;
  CATUnicodeString _value;
};

#endif
