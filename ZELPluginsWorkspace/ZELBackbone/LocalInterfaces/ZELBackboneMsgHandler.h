#ifndef ZELBackboneMsgHandler_h
#define ZELBackboneMsgHandler_h
// Takes each message the bus delivers to "ZELBackboneReceiver" and publishes it, as a
// ZELBackboneMsgNotification, to the callbacks registered on the handler.
#include "CATIMessageReceiver.h"
#include "ZELBackboneExport.h"

class ExportedByZELBackbone ZELBackboneMsgHandler : public CATIMessageReceiver {
 public:
  ZELBackboneMsgHandler() = default;
  ZELBackboneMsgHandler(const ZELBackboneMsgHandler&) = delete;
  ZELBackboneMsgHandler& operator=(const ZELBackboneMsgHandler&) = delete;

  HRESULT QueryInterface(const IID& iid, void** out) override;
  void HandleMessage(CATICommMsg* iMessage) override;

 protected:
  ~ZELBackboneMsgHandler() override = default;
};

#endif
