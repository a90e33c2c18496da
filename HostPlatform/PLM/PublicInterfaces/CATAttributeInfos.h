#ifndef CATAttributeInfos_h
#define CATAttributeInfos_h
// Name and value type of one knowledge attribute of an object.
#include "CATIType.h"

class ExportedByCATPLMServices CATAttributeInfos {
 public:
  CATAttributeInfos() = default;
  CATAttributeInfos(const CATUnicodeString& iName, const CATIType_var& iType) : name_(iName), type_(iType) {}
  const CATUnicodeString& Name() const { return name_; }
  // "String", "Integer", "Real", "Boolean" or "Date".
  const CATIType_var& Type() const { return type_; }

 private:
  CATUnicodeString name_;
  CATIType_var type_;
};

typedef CATListVal<CATAttributeInfos> CATListValCATAttributeInfos;

#endif
