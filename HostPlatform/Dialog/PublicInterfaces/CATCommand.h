#ifndef CATCommand_h
#define CATCommand_h
// Commands: named objects in a parent tree, activated by the client and destroyed on request once the
// current event has been handled.
#include <string>
#include <vector>

#include "CATBaseUnknown.h"
#include "CATDialogDefs.h"
#include "CATString.h"

class CATNotification;

enum CATStatusChangeRC { CATStatusChangeRCCompleted = 0, CATStatusChangeRCAborted = 1 };

class ExportedByCATDialog CATCommand : public CATBaseUnknown {
 public:
  explicit CATCommand(CATCommand* parent = nullptr, const CATString& name = CATString());
  ~CATCommand() override;
  CATCommand(const CATCommand&) = delete;
  CATCommand& operator=(const CATCommand&) = delete;

  const CATString& GetName() const { return name_; }
  CATCommand* GetFather() const { return parent_; }
  const std::vector<CATCommand*>& GetChildren() const { return children_; }

  virtual CATStatusChangeRC Activate(CATCommand* from, CATNotification* notification);
  virtual CATStatusChangeRC Desactivate(CATCommand* from, CATNotification* notification);
  virtual CATStatusChangeRC Cancel(CATCommand* from, CATNotification* notification);

  // Destroys the command (and its children) at the next turn of the event loop.
  void RequestDelayedDestruction();
  int IsDestructionRequested() const { return destructionRequested_; }

 private:
  CATCommand* parent_;
  CATString name_;
  std::vector<CATCommand*> children_;
  int destructionRequested_ = 0;
};

#endif
