#ifndef CATPathElementAgent_h
#define CATPathElementAgent_h
// An agent acquiring one selected object as a path: the value is the one path selected in its editor.
#include "CATDialogAgent.h"
#include "CATPathElement.h"

class ExportedByCATAfrFoundation CATPathElementAgent : public CATDialogAgent {
 public:
  explicit CATPathElementAgent(const CATString& name, CATDlgEngBehavior behavior = 0);
  ~CATPathElementAgent() override;

  // The path selected in the agent's editor when exactly one is selected, else null. The path stays the
  // selection's (valid while selected).
  virtual CATPathElement* GetValue();
};

#endif
