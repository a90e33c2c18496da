#include "CATDialogAgent.h"

#include "CATFrmEditor.h"

// Editors outlive their windows (see CATFrmEditor), so the editor kept here stays a valid object.
CATDialogAgent::CATDialogAgent(const CATString& name, CATDlgEngBehavior behavior)
    : CATCommand(nullptr, name), editor_(CATFrmEditor::GetCurrentEditor()), behavior_(behavior) {}

CATDialogAgent::~CATDialogAgent() = default;

CATFrmEditor* CATDialogAgent::GetEditor() {
  return editor_;
}
