#include "CATDlgLock.h"

#include <algorithm>

CATDlgLock::CATDlgLock(CATDialog* parent, const CATString& name, CATDlgStyle style)
    : CATDialog(parent, name, style) {}

CATDlgLock::~CATDlgLock() {
  for (CATDialog* dialog : associated_) {
    auto& locks = dialog->locks_;
    locks.erase(std::remove(locks.begin(), locks.end(), this), locks.end());
  }
}

void CATDlgLock::SetLocked(int locked, int notify) {
  locked_ = locked ? 1 : 0;
  if (notify) PublishNotification(GetLockModifyNotification());
}

HRESULT CATDlgLock::AddAssociatedDialog(CATDialog* dialog) {
  if (!dialog) return E_INVALIDARG;
  for (const CATDialog* d = this; d; d = d->GetDialogFather())
    if (d == dialog) return E_INVALIDARG;
  if (std::find(associated_.begin(), associated_.end(), dialog) != associated_.end()) return S_FALSE;
  associated_.push_back(dialog);
  dialog->locks_.push_back(this);
  return S_OK;
}

HRESULT CATDlgLock::RemoveAssociatedDialog(CATDialog* dialog) {
  auto it = std::find(associated_.begin(), associated_.end(), dialog);
  if (it == associated_.end()) return S_FALSE;
  associated_.erase(it);
  auto& locks = dialog->locks_;
  locks.erase(std::remove(locks.begin(), locks.end(), this), locks.end());
  return S_OK;
}

void CATDlgLock::ForgetAssociated(CATDialog* dialog) {
  associated_.erase(std::remove(associated_.begin(), associated_.end(), dialog), associated_.end());
}

HRESULT CATDlgLock::UserSetLocked(int locked) {
  if (!IsUserAccessible()) return E_FAIL;
  if ((locked ? 1 : 0) == locked_) return S_FALSE;
  locked_ = locked ? 1 : 0;
  PublishNotification(GetLockModifyNotification());
  return S_OK;
}

void CATDlgLock::DescribeState(std::string& line) const {
  line += locked_ ? " state=locked" : " state=unlocked";
  line += " associated=[";
  for (size_t i = 0; i < associated_.size(); ++i) {
    if (i) line += ',';
    AppendQuoted(line, associated_[i]->GetName().str());
  }
  line += ']';
}
