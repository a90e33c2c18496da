#ifndef CATIPLMNavOccurrence_h
#define CATIPLMNavOccurrence_h
// A node of the product tree of a root reference (CATPLMNavServices::GetRootOccurrence). The root
// occurrence stands for the root reference; every other occurrence stands for one instance of a reference
// or representation under its father. The session creates each node once, so one place of the tree is
// always the same object, and a selection path is the chain of fathers from the root down to a node.
//
// An occurrence is also the navigable object of its node (CATINavigateObject) and a PLM component
// (CATIPLMComponent, whose identificator is the reference's), so an editor may hold it as an edited root;
// CATICkeObject and CATIAlias answer those of the reference's component.
#include "CATIPLMNavEntity.h"

CATDeclareIID(CATIPLMNavOccurrence);

class CATIPLMNavOccurrence;
CATDeclareHandler(CATIPLMNavOccurrence);
typedef CATListVal<CATIPLMNavOccurrence_var> CATListValCATIPLMNavOccurrence_var;

class ExportedByCATPLMServices CATIPLMNavOccurrence : public CATBaseUnknown {
 public:
  CATDeclareInterfaceId(CATIPLMNavOccurrence);
  // The reference (or representation) the occurrence stands for.
  virtual HRESULT GetReference(CATIPLMNavEntity_var& oReference) = 0;
  // The instance through which the father uses the reference: the occurrence's related entity, whose
  // "PLM_ExternalID" is the instance name. E_FAIL at the root, which has no instance.
  virtual HRESULT GetInstance(CATIPLMNavEntity_var& oInstance) = 0;
  // E_FAIL at the root.
  virtual HRESULT GetFather(CATIPLMNavOccurrence_var& oFather) = 0;
  // Child occurrences in the order the instances were created, appended to the list. A reference that
  // would contain itself again is left out, so every branch ends.
  virtual HRESULT ListChildren(CATListValCATIPLMNavOccurrence_var& oChildren) = 0;
  // The component of the reference the occurrence stands for.
  virtual HRESULT GetPLMComponent(CATIPLMComponent_var& oComponent) = 0;
};

#endif
