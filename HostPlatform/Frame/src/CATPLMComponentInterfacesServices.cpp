#include "CATPLMComponentInterfacesServices.h"

#include "CATFrmEditor.h"

HRESULT CATPLMComponentInterfacesServices::GetEditedRootPLMComponents(CATFrmEditor* iEditor,
                                                                      CATListPtrCATIPLMComponent& oRoots) {
  if (!iEditor) return E_FAIL;
  CATListVal<CATIPLMComponent_var> roots;
  if (FAILED(iEditor->ListRoots(roots))) return E_FAIL;
  for (const CATIPLMComponent_var& root : roots) {
    root->AddRef();
    oRoots.Append(root);
  }
  return S_OK;
}
