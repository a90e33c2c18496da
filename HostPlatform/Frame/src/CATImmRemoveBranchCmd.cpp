#include "CATImmRemoveBranchCmd.h"

#include "CATAfrCommandFactory.h"
#include "CATFrmEditor.h"

CATAfrImplementCommandFactory(CATImmRemoveBranchCmd)

CATImmRemoveBranchCmd::CATImmRemoveBranchCmd()
    : CATCommand(nullptr, "CATImmRemoveBranchCmd"), editor_(CATFrmEditor::GetCurrentEditor()) {}

CATImmRemoveBranchCmd::~CATImmRemoveBranchCmd() = default;

CATStatusChangeRC CATImmRemoveBranchCmd::Activate(CATCommand*, CATNotification*) {
  if (editor_ && !editor_->IsClosed() && editor_->GetKind() == CATFrmNavigationEditor) {
    CATCSO* cso = editor_->GetCSO();
    std::vector<CATIPLMNavOccurrence_var> leaves;
    cso->InitElementList();
    while (CATBaseUnknown* element = cso->NextElement()) {
      CATPathElement* path = nullptr;
      if (FAILED(element->QueryInterface(IID_CATPathElement, reinterpret_cast<void**>(&path)))) continue;
      leaves.push_back(CATIPLMNavOccurrence_var((*path)[path->GetSize() - 1]));
      path->Release();
    }
    // The selection goes first: the removed branches are no longer shown to be selected.
    cso->Empty();
    for (const CATIPLMNavOccurrence_var& leaf : leaves)
      if (leaf != NULL_var) editor_->RemoveBranch(leaf);
  }
  RequestDelayedDestruction();
  return CATStatusChangeRCCompleted;
}
