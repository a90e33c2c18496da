#ifndef CATDlgRadioButton_h
#define CATDlgRadioButton_h
// A button of a group of which at most one is checked. The group is the radio buttons of the same
// container, or, for buttons given a group name, the buttons of the same window with that name.
#include <vector>

#include "CATDialog.h"

class ExportedByCATDialog CATDlgRadioButton : public CATDialog {
 public:
  CATDlgRadioButton(CATDialog* parent, const CATString& name, CATDlgStyle style = 0);
  ~CATDlgRadioButton() override;

  // CATDlgCheck unchecks the others of the group, which send nothing. This button sends its modify
  // notification only when notify is set.
  void SetState(CATULong state, int notify = 0);
  CATULong GetState() const { return checked_ ? CATDlgCheck : CATDlgUncheck; }

  void SetGroup(const CATString& group) { group_ = group; }
  const CATString& GetGroup() const { return group_; }
  // The buttons of this button's group, itself included, in tree order.
  std::vector<CATDlgRadioButton*> GetGroupMembers() const;

  CATNotification* GetRadBModifyNotification() { return OwnNotification("CATDlgRadBModifyNotification"); }

  // The user checks the button (a user cannot uncheck one: E_FAIL): E_FAIL when it cannot be reached,
  // S_FALSE (nothing sent) when it is already checked; otherwise the others of the group are unchecked
  // and this button sends its modify notification.
  HRESULT UserSetState(CATULong state);

  const char* GetKindName() const override { return "RadioButton"; }

 protected:
  void DescribeState(std::string& line) const override;

 private:
  void Check();

  int checked_ = 0;
  CATString group_;
};

#endif
