#ifndef CATDialogAgent_h
#define CATDialogAgent_h
// A dialog agent: a command that acquires something from the user in an editor. Its editor is the one
// current when the agent is created (see GetEditor). Agents are released by their creator.
#include "CATAfrFoundationExport.h"
#include "CATCommand.h"

class CATFrmEditor;

// Behaviour flags of an agent (how it reacts to repeated or undone input); kept as given.
typedef unsigned long CATDlgEngBehavior;

class ExportedByCATAfrFoundation CATDialogAgent : public CATCommand {
 public:
  explicit CATDialogAgent(const CATString& name, CATDlgEngBehavior behavior = 0);
  ~CATDialogAgent() override;

  // The editor the agent works in; null when there was none.
  virtual CATFrmEditor* GetEditor();
  CATDlgEngBehavior GetBehavior() const { return behavior_; }

 private:
  CATFrmEditor* editor_;
  CATDlgEngBehavior behavior_;
};

#endif
