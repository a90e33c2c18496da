#ifndef CATEventSubscriber_h
#define CATEventSubscriber_h
// Callbacks between any objects: a subscriber registers a function on a publisher for one kind of
// notification, and the publisher's callback manager runs the matching callbacks synchronously. A
// subscriber's callbacks end with it; a publisher's owner removes them before the publisher goes. Main thread
// only.
#include "CATBaseUnknown.h"
#include "CATNotification.h"

class CATEventSubscriber;

typedef void* CATSubscriberData;
// Identifies one registered callback; 0 is never a valid one.
typedef unsigned long CATCallback;
typedef void (*CATSubscriberMethod)(CATEventSubscriber* subscriber, CATBaseUnknown* publisher,
                                    CATNotification* notification, CATSubscriberData data,
                                    CATCallback callback);

class ExportedByCATSysTS CATEventSubscriber : public CATBaseUnknown {
 public:
  CATEventSubscriber() = default;
  // Removes every callback this subscriber registered, on any publisher.
  ~CATEventSubscriber() override;
};

class ExportedByCATSysTS CATCallbackManager {
 public:
  // Runs, in order of registration, the callbacks registered on publisher for the notification's kind;
  // returns how many ran. A callback may add or remove callbacks, its own included.
  int DispatchCallbacks(CATNotification* notification, CATBaseUnknown* publisher);
};

// Registers method (called with subscriber, publisher, the notification, data and the callback's id) for
// notifications of the kind notificationClass that publisher dispatches. 0 when an argument is null or empty.
ExportedByCATSysTS CATCallback AddCallback(CATEventSubscriber* subscriber, CATBaseUnknown* publisher,
                                           const char* notificationClass, CATSubscriberMethod method,
                                           CATSubscriberData data);
// Removes the callbacks subscriber registered on publisher; returns how many were removed.
ExportedByCATSysTS int RemoveSubscriberCallbacks(CATEventSubscriber* subscriber, CATBaseUnknown* publisher);
// The publisher's callback manager: it exists while at least one callback is registered on the publisher,
// and is null otherwise.
ExportedByCATSysTS CATCallbackManager* GetDefaultCallbackManager(CATBaseUnknown* publisher);

#endif
