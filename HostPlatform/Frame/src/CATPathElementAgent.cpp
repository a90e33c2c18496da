#include "CATPathElementAgent.h"

#include "CATFrmEditor.h"

CATPathElementAgent::CATPathElementAgent(const CATString& name, CATDlgEngBehavior behavior)
    : CATDialogAgent(name, behavior) {}

CATPathElementAgent::~CATPathElementAgent() = default;

CATPathElement* CATPathElementAgent::GetValue() {
  CATFrmEditor* editor = GetEditor();
  CATCSO* cso = editor ? editor->GetCSO() : nullptr;
  if (!cso || cso->Size() != 1) return nullptr;
  cso->InitElementList();
  CATBaseUnknown* element = cso->NextElement();
  CATPathElement* path = nullptr;
  if (!element || FAILED(element->QueryInterface(IID_CATPathElement, reinterpret_cast<void**>(&path))))
    return nullptr;
  // The selection holds the path; the reference of the query is not the caller's.
  path->Release();
  return path;
}
