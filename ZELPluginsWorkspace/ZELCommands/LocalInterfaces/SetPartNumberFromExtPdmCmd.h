#ifndef SetPartNumberFromExtPdmCmd_h
#define SetPartNumberFromExtPdmCmd_h
// Gives the one selected component a part number issued by the PDM: checks that the component may be
// renumbered, asks the gateway for the next number ("GetPartnumber"), writes it into "PLM_ExternalID" and
// saves the component. Runs to the end within Activate and speaks only through notification boxes. Created
// by name through fctCreateSetPartNumberFromExtPdmCmd.
#include "CATCommand.h"
#include "CATIPLMComponent.h"
#include "CATListOfCATUnicodeString.h"
#include "CATRawCollint.h"
#include "CATUnicodeString.h"

class SetPartNumberFromExtPdmCmd : public CATCommand {
 public:
  SetPartNumberFromExtPdmCmd();
  ~SetPartNumberFromExtPdmCmd() override;

  CATStatusChangeRC Activate(CATCommand* iFrom, CATNotification* iNotification) override;
  CATStatusChangeRC Desactivate(CATCommand* iFrom, CATNotification* iNotification) override;
  CATStatusChangeRC Cancel(CATCommand* iFrom, CATNotification* iNotification) override;

 private:
  HRESULT GetSelection(CATIPLMComponent_var& oComponent);
  HRESULT GetSelectionFromSearch(CATIPLMComponent_var& oComponent);
  HRESULT Validate(const CATIPLMComponent_var& iComponent, const CATUnicodeString& iExternalId,
                   CATBoolean& oProceed);
  HRESULT GetNewPartnumber(const CATUnicodeString& iExternalId, CATUnicodeString& oPartNumber);
  HRESULT SetPartNumber(const CATIPLMComponent_var& iComponent, const CATUnicodeString& iPartNumber);
  void ShowFailureReport();

  // What the last gateway response said; shown only by the failure report.
  CATListValCATUnicodeString _errorTexts;
  CATRawCollint _errorCodes;
  CATListValCATUnicodeString _messageTexts;
  CATRawCollint _messageCodes;
};

#endif
