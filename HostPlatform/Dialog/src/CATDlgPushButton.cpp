#include "CATDlgPushButton.h"

CATDlgPushButton::CATDlgPushButton(CATDialog* parent, const CATString& name, CATDlgStyle style)
    : CATDialog(parent, name, style) {}

CATDlgPushButton::~CATDlgPushButton() = default;

HRESULT CATDlgPushButton::UserPress() {
  if (!IsUserAccessible()) return E_FAIL;
  PublishNotification(GetPushBActivateNotification());
  return S_OK;
}
