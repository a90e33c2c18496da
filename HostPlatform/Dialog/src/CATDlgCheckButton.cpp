#include "CATDlgCheckButton.h"

CATDlgCheckButton::CATDlgCheckButton(CATDialog* parent, const CATString& name, CATDlgStyle style)
    : CATDialog(parent, name, style) {}

CATDlgCheckButton::~CATDlgCheckButton() = default;

void CATDlgCheckButton::SetState(CATULong state, int notify) {
  checked_ = state != CATDlgUncheck ? 1 : 0;
  if (notify) PublishNotification(GetChkBModifyNotification());
}

HRESULT CATDlgCheckButton::UserSetState(CATULong state) {
  if (!IsUserAccessible()) return E_FAIL;
  int checked = state != CATDlgUncheck ? 1 : 0;
  if (checked == checked_) return S_FALSE;
  checked_ = checked;
  PublishNotification(GetChkBModifyNotification());
  return S_OK;
}

void CATDlgCheckButton::DescribeState(std::string& line) const {
  line += checked_ ? " checked" : " unchecked";
}
