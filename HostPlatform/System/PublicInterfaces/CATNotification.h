#ifndef CATNotification_h
#define CATNotification_h
// Notifications: reference-counted messages that a publisher (a command, or any object through its callback
// manager) sends to the callbacks registered on it. Callbacks are matched by the notification's kind.
#include "CATBaseUnknown.h"
#include "CATString.h"

class ExportedByCATSysTS CATNotification : public CATBaseUnknown {
 public:
  explicit CATNotification(const CATString& kind = "CATNotification");

  const CATString& GetKind() const { return kind_; }

 protected:
  // Reference-counted: ended by Release, never by delete.
  ~CATNotification() override;

 private:
  CATString kind_;
};

#endif
