#ifndef CATImmRemoveBranchCmd_h
#define CATImmRemoveBranchCmd_h
// The navigator's command that takes the selected branches out of the tree view of the window it was
// started in; nothing is deleted from the database. Started through the header "CATImmRemoveBranchCmd".
#include "CATCommand.h"

class CATFrmEditor;

class CATImmRemoveBranchCmd : public CATCommand {
 public:
  CATImmRemoveBranchCmd();
  ~CATImmRemoveBranchCmd() override;

  // Removes the branch of every selected path's leaf and empties the selection; a selected root, an object
  // that is no occurrence of the window's trees, or a window that is no navigation window is left alone.
  // The command then ends.
  CATStatusChangeRC Activate(CATCommand* from, CATNotification* notification) override;

 private:
  CATFrmEditor* editor_;
};

#endif
