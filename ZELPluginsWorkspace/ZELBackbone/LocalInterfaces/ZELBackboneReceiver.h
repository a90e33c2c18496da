#ifndef ZELBackboneReceiver_h
#define ZELBackboneReceiver_h
// The session's receiver: declares "ZELBackboneReceiver" on the bus, hands incoming messages to a
// ZELBackboneMsgHandler and runs their commands ("ZEL_OPEN" opens an object in a window), answering every
// request that asks for an answer once the command is done.
#include "CATEventSubscriber.h"
#include "CATICommunicator.h"
#include "CATIMessageReceiver.h"
#include "CATUnicodeString.h"
#include "ZELIBackboneReceiverInt.h"

class ExportedByZELBackbone ZELBackboneReceiver : public ZELIBackboneReceiverInt {
 public:
  // iSubscriber: the object the command callback is registered for (the session's main application).
  explicit ZELBackboneReceiver(CATEventSubscriber* iSubscriber);
  ZELBackboneReceiver(const ZELBackboneReceiver&) = delete;
  ZELBackboneReceiver& operator=(const ZELBackboneReceiver&) = delete;

  HRESULT QueryInterface(const IID& iid, void** out) override;
  HRESULT Create() override;

  // The handler of the last successful Create in this process, null when none or once its receiver is gone.
  static CATBaseUnknown* GetCurrentHandler() { return s_pCurrentHandler; }

  // Runs the command of a ZELBackboneMsgNotification and answers its message when it asks for an answer.
  static void OnCommand(CATEventSubscriber* iSubscriber, CATBaseUnknown* iPublisher,
                        CATNotification* iNotification, CATSubscriberData iData, CATCallback iCallback);
  // Opens in a window every stored object of the type with that external identifier and major revision.
  static HRESULT OpenInWindow(const CATUnicodeString& iType, const CATUnicodeString& iIdentifier,
                              const CATUnicodeString& iRevision);

 protected:
  ~ZELBackboneReceiver() override;

 private:
  // Decodes the parameter text of "ZEL_OPEN" and opens what it names.
  static void RunOpen(const char* iInfo);
  static void SendAnswer(CATICommMsg* iMessage, const char* iCommand);

  CATEventSubscriber* _subscriber;
  CATICommunicator* _communicator = nullptr;
  CATIMessageReceiver* _handlerReceiver = nullptr;
  CATBaseUnknown* _publisher = nullptr;

  static CATBaseUnknown* s_pCurrentHandler;
};

#endif
