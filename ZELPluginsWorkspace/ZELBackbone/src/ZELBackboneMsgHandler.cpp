#include "ZELBackboneMsgHandler.h"

#include <cstdlib>

#include "CATEventSubscriber.h"
#include "ZELBackboneMsgNotification.h"
#include "ZELDebug.h"
#include "ZELIBackboneDataRequest.h"

HRESULT ZELBackboneMsgHandler::QueryInterface(const IID& iid, void** out) {
  return CATQueryInterfaceOf<CATIMessageReceiver>(this, iid, out);
}

void ZELBackboneMsgHandler::HandleMessage(CATICommMsg* iMessage) {
  ZEL_DEBUG_SCOPE("ZELBackboneMsgHandler::HandleMessage");
  if (!iMessage) return;
  ZELIBackboneDataRequest* request = nullptr;
  if (FAILED(iMessage->QueryInterface(IID_ZELIBackboneDataRequest, reinterpret_cast<void**>(&request))) ||
      !request) {
    zelDebug.SetFailed();
    ZEL_DETAIL("ZEL: QueryInterface(IID_ZELIBackboneDataRequest,...) failed!");
    return;
  }
  char* command = nullptr;
  char* info = nullptr;
  request->GetCommand(&command);
  request->GetAdditionalInfo(&info);
  request->Release();

  CATBaseUnknown* publisher = this;
  if (CATCallbackManager* manager = GetDefaultCallbackManager(publisher)) {
    ZELBackboneMsgNotification* notification = new ZELBackboneMsgNotification(command, iMessage, info);
    manager->DispatchCallbacks(notification, publisher);
    notification->Release();
  }
  free(command);
  free(info);
}
