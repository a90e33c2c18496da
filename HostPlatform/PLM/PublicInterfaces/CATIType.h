#ifndef CATIType_h
#define CATIType_h
// A type: either a PLM type of the type dictionary (one supertype, subtypes in dictionary order) or the
// value type of a knowledge attribute ("String", "Integer", "Real", "Boolean", "Date"), which stands alone.
#include "CATBaseUnknown.h"
#include "CATListVal.h"
#include "CATPLMServicesExport.h"
#include "CATUnicodeString.h"

CATDeclareIID(CATIType);

class CATIType;
CATDeclareHandler(CATIType);
typedef CATListVal<CATIType_var> CATListValCATIType_var;

class ExportedByCATPLMServices CATIType : public CATBaseUnknown {
 public:
  CATDeclareInterfaceId(CATIType);
  // The internal name ("VPMReference"), unique in its dictionary, and the name shown to users.
  virtual CATUnicodeString Name() = 0;
  virtual CATUnicodeString UserName() = 0;
  // E_FAIL and a null handler at the top of a hierarchy.
  virtual HRESULT GetSupertype(CATIType_var& oSupertype) = 0;
  // Direct subtypes in dictionary order, appended to the list.
  virtual HRESULT ListSubtypes(CATListValCATIType_var& oSubtypes) = 0;
  // Whether this type is iType itself or one of its subtypes at any depth; false for a null handler.
  virtual CATBoolean IsATypeOf(const CATIType_var& iType) = 0;
  // 0 for a type whose objects can exist in the database, non-zero for an abstract type.
  virtual HRESULT GetStatus(int& oStatus) = 0;
};

#endif
