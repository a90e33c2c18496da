#ifndef CATDlgPushButton_h
#define CATDlgPushButton_h
// A button that runs an action when pressed.
#include "CATDialog.h"

class ExportedByCATDialog CATDlgPushButton : public CATDialog {
 public:
  CATDlgPushButton(CATDialog* parent, const CATString& name, CATDlgStyle style = 0);
  ~CATDlgPushButton() override;

  CATNotification* GetPushBActivateNotification() {
    return OwnNotification("CATDlgPushBActivateNotification");
  }

  // The user presses the button: refused (E_FAIL) when it cannot be reached; sends the activate
  // notification.
  HRESULT UserPress();

  const char* GetKindName() const override { return "PushButton"; }
};

#endif
