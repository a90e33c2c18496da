#ifndef CATIPLMNavEntity_h
#define CATIPLMNavEntity_h
// The reference or the instance behind a navigation occurrence. QueryInterface for CATIPLMComponent
// answers the entity's component (see GetPLMComponent).
#include "CATIPLMComponent.h"
#include "CATListOfCATUnicodeString.h"

CATDeclareIID(CATIPLMNavEntity);

class ExportedByCATPLMServices CATIPLMNavEntity : public CATBaseUnknown {
 public:
  CATDeclareInterfaceId(CATIPLMNavEntity);
  // Whether the entity is a representation (or a representation instance) rather than product structure.
  virtual HRESULT IsRepresentation(CATBoolean& oIsRepresentation) = 0;
  // One value per name, in order, as the session holds them. E_FAIL and nothing appended when one of the
  // names is not an attribute of the entity.
  virtual HRESULT GetAttributeValues(const CATListValCATUnicodeString& iNames,
                                     CATListValCATUnicodeString& oValues) = 0;
  // The component opened and saved for the entity: a reference or representation is its own component; an
  // instance is stored with the reference that aggregates it, so its component is that reference.
  virtual HRESULT GetPLMComponent(CATIPLMComponent_var& oComponent) = 0;
};
CATDeclareHandler(CATIPLMNavEntity);

#endif
