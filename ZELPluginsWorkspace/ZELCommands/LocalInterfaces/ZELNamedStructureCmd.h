#ifndef ZELNamedStructureCmd_h
#define ZELNamedStructureCmd_h
// Filters the product open in a navigation window to a named structure the PDM keeps for its root part:
// asks the gateway for the names ("GetStructureNames"), lets the user pick one (ZELNamesSelectDialog),
// fetches that structure ("GetStructureForName") and takes out of the view every branch it lacks, through
// the navigator's "CATImmRemoveBranchCmd". Nothing is deleted from the database. The outcome is shown in
// ZELNamedStructureInfoDialog. Created by name through fctCreateZELNamedStructureCmd; it lives on after
// Activate only while the names dialog waits for the user.
#include "CATCommand.h"
#include "CATIPLMComponent.h"
#include "CATIPLMNavOccurrence.h"
#include "CATListOfCATUnicodeString.h"
#include "CATUnicodeString.h"

class CATFrmEditor;
class CATIDOMElement;
class ZELNamedStructureObject;

class ZELNamedStructureCmd : public CATCommand {
 public:
  ZELNamedStructureCmd();
  ~ZELNamedStructureCmd() override;

  CATStatusChangeRC Activate(CATCommand* iFrom, CATNotification* iNotification) override;
  CATStatusChangeRC Desactivate(CATCommand* iFrom, CATNotification* iNotification) override;
  CATStatusChangeRC Cancel(CATCommand* iFrom, CATNotification* iNotification) override;

  // Filters the navigator to the named structure iName, shows the outcome and ends the command. Always 0.
  long ExpandAndFilter(CATUnicodeString iName);
  // The names dialog was closed without a choice.
  void CancelCommand();

 private:
  // Fetches the named structure, walks the navigator in step with it and removes what it lacks; true when
  // the walk reached its end. oLines receives the unhandled entries.
  bool Filter(const CATUnicodeString& iPartNumber, const CATUnicodeString& iName,
              CATListValCATUnicodeString& oLines);
  // Appends a node per "O" child element of iElement to iParent, and so on below: the whole tree.
  void RetrieveObjectsRecursive(ZELNamedStructureObject* iParent, CATIDOMElement* iElement);
  // Walks the occurrence tree in step with the named structure from iNode, marking matched entries handled
  // and appending to oRemoval every child occurrence the structure lacks (its subtree is not examined).
  void SilverBrowseOccurrence(const CATIPLMNavOccurrence_var& iOccurrence, ZELNamedStructureObject* iNode,
                              CATListValCATIPLMNavOccurrence_var& oRemoval);
  // Empty when the value cannot be read.
  CATUnicodeString GetPartnumberFromOccurrence(const CATIPLMNavOccurrence_var& iOccurrence);
  CATUnicodeString GetInstanceNameFromOccurrence(const CATIPLMNavOccurrence_var& iOccurrence);
  // The root's "PLM_ExternalID"; E_FAIL when it cannot be read or is empty.
  HRESULT ReadRootPartNumber(CATUnicodeString& oPartNumber);
  // Whether iEditor still edits the command's root.
  bool EditsRoot(CATFrmEditor* iEditor) const;
  // The info dialog: "MsgFinishedOK" or "MsgFailed", an empty line, then the lines.
  void ShowInfo(CATListValCATUnicodeString& ioLines, bool iSuccess);

  CATFrmEditor* _pEditor;
  CATIPLMComponent_var _spRoot;
};

#endif
