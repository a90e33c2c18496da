#ifndef CATDlgCheckButton_h
#define CATDlgCheckButton_h
// A button the user checks and unchecks.
#include "CATDialog.h"

class ExportedByCATDialog CATDlgCheckButton : public CATDialog {
 public:
  CATDlgCheckButton(CATDialog* parent, const CATString& name, CATDlgStyle style = 0);
  ~CATDlgCheckButton() override;

  // CATDlgCheck or CATDlgUncheck. Sends nothing unless notify is set, in which case the modify
  // notification goes out as after a user's change.
  void SetState(CATULong state, int notify = 0);
  CATULong GetState() const { return checked_ ? CATDlgCheck : CATDlgUncheck; }

  CATNotification* GetChkBModifyNotification() { return OwnNotification("CATDlgChkBModifyNotification"); }

  // The user checks or unchecks the button: E_FAIL when it cannot be reached, S_FALSE (nothing sent)
  // when it is already in that state; otherwise the modify notification is sent.
  HRESULT UserSetState(CATULong state);

  const char* GetKindName() const override { return "CheckButton"; }

 protected:
  void DescribeState(std::string& line) const override;

 private:
  int checked_ = 0;
};

#endif
