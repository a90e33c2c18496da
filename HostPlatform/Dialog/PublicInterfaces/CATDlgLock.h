#ifndef CATDlgLock_h
#define CATDlgLock_h
// A lock symbol beside a setting: while locked, the dialog objects associated with it are insensitive.
#include <vector>

#include "CATDialog.h"

class ExportedByCATDialog CATDlgLock : public CATDialog {
 public:
  CATDlgLock(CATDialog* parent, const CATString& name, CATDlgStyle style = 0);
  ~CATDlgLock() override;

  // Sends the modify notification only when notify is set.
  void SetLocked(int locked, int notify = 0);
  int IsLocked() const { return locked_; }

  // E_INVALIDARG for null, the lock itself or one of its containers (the lock would lock itself out);
  // S_FALSE when already associated.
  HRESULT AddAssociatedDialog(CATDialog* dialog);
  // S_FALSE when it was not associated.
  HRESULT RemoveAssociatedDialog(CATDialog* dialog);
  const std::vector<CATDialog*>& GetAssociatedDialogs() const { return associated_; }

  CATNotification* GetLockModifyNotification() { return OwnNotification("CATDlgLockModifyNotification"); }

  // The user (an administrator) locks or unlocks: E_FAIL when the lock cannot be reached, S_FALSE (nothing
  // sent) when already in that state; otherwise the modify notification is sent.
  HRESULT UserSetLocked(int locked);

  const char* GetKindName() const override { return "Lock"; }

 protected:
  void DescribeState(std::string& line) const override;

 private:
  friend class CATDialog;
  void ForgetAssociated(CATDialog* dialog);

  std::vector<CATDialog*> associated_;
  int locked_ = 0;
};

#endif
