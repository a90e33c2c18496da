#ifndef CATNotification_h
#define CATNotification_h
// Notifications: reference-counted messages that a command sends to the callbacks registered on it.
// Callbacks are matched by the notification's kind, so any notification of the same kind reaches them.
#include "CATBaseUnknown.h"
#include "CATDialogDefs.h"
#include "CATString.h"

class ExportedByCATDialog CATNotification : public CATBaseUnknown {
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
