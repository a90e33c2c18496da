#ifndef ZELIBackboneUtil_h
#define ZELIBackboneUtil_h
// The in-process companion of the session's receiver, created by name ("ZELBackboneUtil").
#include "CATBaseUnknown.h"
#include "ZELBackboneExport.h"

CATDeclareIIDValue(ZELIBackboneUtil, 0x5575A826, 0x3405, 0x43A3, 0x9F, 0x74, 0xCB, 0xE9, 0x94, 0xDB, 0x74,
                   0xE4);

class ExportedByZELBackbone ZELIBackboneUtil : public CATBaseUnknown {
 public:
  CATDeclareInterfaceId(ZELIBackboneUtil);
  static const char* ClassName() { return "ZELIBackboneUtil"; }

  // 1 when no receiver was created in this process (or it is gone), 0 otherwise.
  virtual int IsReceiverMissing() = 0;
  // 0 when the receiver answered a check as expected, 1 otherwise.
  virtual int CheckReceiver() = 0;
  // Sends a request to the session's receiver; with iAnswerWanted, *oAnswer receives a copy of the answer's
  // command text for the caller to free(). 0 on success, 1 on failure.
  virtual int SendToReceiver(unsigned char iAnswerWanted, const char* iCommand, const char* iInfo,
                             char** oAnswer) = 0;
};
CATDeclareHandler(ZELIBackboneUtil);

#endif
