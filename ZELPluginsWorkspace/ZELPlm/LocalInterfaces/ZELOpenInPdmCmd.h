#ifndef ZELOpenInPdmCmd_h
#define ZELOpenInPdmCmd_h
// Opens the PDM object behind the selected component in the PDM's own client: asks the gateway which object
// it is, then starts the Aras or CIM Database web client, or the Teamcenter portal through a session file
// (or the Teamcenter web client). One-shot: everything happens in Activate. Created by name through
// fctCreateZELOpenInPdmCmd.
#include <string>

#include "CATCommand.h"
#include "CATUnicodeString.h"

class ZELOpenInPdmCmd : public CATCommand {
 public:
  ZELOpenInPdmCmd();
  ~ZELOpenInPdmCmd() override;

  CATStatusChangeRC Activate(CATCommand* iFrom, CATNotification* iNotification) override;
  CATStatusChangeRC Desactivate(CATCommand* iFrom, CATNotification* iNotification) override;
  CATStatusChangeRC Cancel(CATCommand* iFrom, CATNotification* iNotification) override;

  // The value as it may stand in an address: control characters, blank, '"', '#', '&', '?' and '%' are
  // percent-encoded (UTF-8 bytes), every other character stays.
  static std::string EncodeForAddress(const CATUnicodeString& iValue);
  // Makes the directory of the Teamcenter session file (owner-only) or accepts it when it exists as a
  // directory of the user's that nobody else may write to; otherwise false with oError (an errno value).
  static bool PrepareSessionDirectory(const std::string& iDirectory, int& oError);
};

#endif
