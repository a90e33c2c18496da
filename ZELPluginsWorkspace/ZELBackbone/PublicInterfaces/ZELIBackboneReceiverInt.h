#ifndef ZELIBackboneReceiverInt_h
#define ZELIBackboneReceiverInt_h
// The session's receiver of backbone requests, created by name ("ZELBackboneReceiver") once per session.
#include "CATBaseUnknown.h"
#include "ZELBackboneExport.h"

CATDeclareIIDValue(ZELIBackboneReceiverInt, 0xF877CB6A, 0x4F56, 0x4F2F, 0xB0, 0x5D, 0x4A, 0x31, 0x3F, 0xB5,
                   0xFD, 0xE6);

class ExportedByZELBackbone ZELIBackboneReceiverInt : public CATBaseUnknown {
 public:
  CATDeclareInterfaceId(ZELIBackboneReceiverInt);
  static const char* ClassName() { return "ZELIBackboneReceiverInt"; }

  // Declares the session on the bus as "ZELBackboneReceiver" and starts handling its requests.
  virtual HRESULT Create() = 0;
};
CATDeclareHandler(ZELIBackboneReceiverInt);

#endif
