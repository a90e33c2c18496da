#include "CATDlgRadioButton.h"

#include "CATDlgDialog.h"

namespace {

void CollectGroup(const CATDialog* container, const CATString& group, std::vector<CATDlgRadioButton*>& out) {
  for (CATCommand* child : container->GetChildren()) {
    auto* d = dynamic_cast<CATDialog*>(child);
    // Windows inside a window form groups of their own.
    if (!d || d->IsWindow()) continue;
    auto* radio = dynamic_cast<CATDlgRadioButton*>(d);
    if (radio && radio->GetGroup() == group) out.push_back(radio);
    CollectGroup(d, group, out);
  }
}

}  // namespace

CATDlgRadioButton::CATDlgRadioButton(CATDialog* parent, const CATString& name, CATDlgStyle style)
    : CATDialog(parent, name, style) {}

CATDlgRadioButton::~CATDlgRadioButton() = default;

std::vector<CATDlgRadioButton*> CATDlgRadioButton::GetGroupMembers() const {
  std::vector<CATDlgRadioButton*> members;
  CATDialog* container = GetDialogFather();
  if (group_.IsNull()) {
    if (!container) return {const_cast<CATDlgRadioButton*>(this)};
    for (CATCommand* child : container->GetChildren()) {
      auto* radio = dynamic_cast<CATDlgRadioButton*>(child);
      if (radio && radio->group_.IsNull()) members.push_back(radio);
    }
    return members;
  }
  const CATDialog* scope = GetWindow();
  if (!scope) {
    scope = this;
    while (scope->GetDialogFather()) scope = scope->GetDialogFather();
  }
  if (scope == this) return {const_cast<CATDlgRadioButton*>(this)};
  CollectGroup(scope, group_, members);
  return members;
}

void CATDlgRadioButton::Check() {
  for (CATDlgRadioButton* other : GetGroupMembers())
    if (other != this) other->checked_ = 0;
  checked_ = 1;
}

void CATDlgRadioButton::SetState(CATULong state, int notify) {
  if (state != CATDlgUncheck)
    Check();
  else
    checked_ = 0;
  if (notify) PublishNotification(GetRadBModifyNotification());
}

HRESULT CATDlgRadioButton::UserSetState(CATULong state) {
  if (state == CATDlgUncheck || !IsUserAccessible()) return E_FAIL;
  if (checked_) return S_FALSE;
  Check();
  PublishNotification(GetRadBModifyNotification());
  return S_OK;
}

void CATDlgRadioButton::DescribeState(std::string& line) const {
  line += checked_ ? " checked" : " unchecked";
}
